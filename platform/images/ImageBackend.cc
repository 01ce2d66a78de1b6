#include "images/ImageBackend.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "logging/Log.h"

namespace velquarin::platform {

namespace {

constexpr const char* kLibraryName = "libvelquarin-images.so";

struct LibraryCloser {
  void operator()(void* handle) const { ::dlclose(handle); }
};
using Library = std::unique_ptr<void, LibraryCloser>;

// Beside this library, wherever the package was unpacked.
std::string libraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&libraryPath), &info) && info.dli_fname) {
    return (std::filesystem::path(info.dli_fname).parent_path() / kLibraryName).string();
  }
  return kLibraryName;
}

void logFailure(const std::string& path, const char* reason) {
  Log::write(LogLevel::Error, {"images/ImageBackend", "get", __LINE__},
             "Images are unavailable: cannot load " + path + ": " + (reason ? reason : "unknown"));
}

// Opened once; never unloaded (RTLD_NODELETE): pixels made by it may outlive any owner, and
// the image libraries register types that cannot be taken back.
struct Opened {
  Library library;
  const ImageBackend* backend = nullptr;

  Opened() {
    const std::string path = libraryPath();
    library.reset(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!library) {
      logFailure(path, ::dlerror());
      return;
    }
    auto entry = reinterpret_cast<ImageBackendEntry>(::dlsym(library.get(), kImageBackendEntry));
    if (!entry) {
      logFailure(path, ::dlerror());
      return;
    }
    backend = entry();
    if (!backend) logFailure(path, "the library has no backend");
  }
};

}  // namespace

const ImageBackend* ImageBackend::get() {
  static const Opened opened;
  return opened.backend;
}

const ImageBackend& ImageBackend::loaded() {
  const ImageBackend* backend = get();
  if (!backend) std::abort();  // unreachable: pixels exist only when the backend made them
  return *backend;
}

}  // namespace velquarin::platform
