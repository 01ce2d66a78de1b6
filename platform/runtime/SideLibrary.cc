#include "runtime/SideLibrary.h"

#include <dlfcn.h>

#include <filesystem>

#include "logging/Log.h"

namespace velquarin::platform {

namespace {

// Beside this library, wherever the package was unpacked.
std::string besidePlatform(const char* fileName) {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&besidePlatform), &info) && info.dli_fname) {
    return (std::filesystem::path(info.dli_fname).parent_path() / fileName).string();
  }
  return fileName;
}

}  // namespace

bool SideLibrary::present(const char* fileName) {
  std::error_code error;
  return std::filesystem::is_regular_file(besidePlatform(fileName), error);
}

void SideLibrary::Closer::operator()(void* handle) const {
  ::dlclose(handle);
}

SideLibrary::SideLibrary(const char* fileName, const char* entry, const char* unavailable) {
  open(besidePlatform(fileName), entry, unavailable);
}

SideLibrary::SideLibrary(OfTheSystem, const char* soname, const char* entry,
                         const char* unavailable) {
  open(soname, entry, unavailable);
}

void SideLibrary::open(const std::string& path, const char* entry, const char* unavailable) {
  library_.reset(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
  if (library_) entry_ = ::dlsym(library_.get(), entry);
  if (entry_) return;
  const char* reason = ::dlerror();
  Log::write(
      LogLevel::Error, {"runtime/SideLibrary", "SideLibrary", __LINE__},
      std::string(unavailable) + ": cannot load " + path + ": " + (reason ? reason : "unknown"));
}

}  // namespace velquarin::platform
