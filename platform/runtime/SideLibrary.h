#pragma once

// A library of this package that sits beside libvelquarin-platform.so (or one of the
// system's) and is opened the first time its service is used, so that start-up never maps it
// nor what it depends on.

#include <cstdlib>
#include <memory>
#include <string>

namespace velquarin::platform {

class SideLibrary {
 public:
  // Opens `fileName` from the platform library's folder and looks up `entry`. On failure
  // one Error line is logged: "<unavailable>: cannot load <path>: <reason>".
  SideLibrary(const char* fileName, const char* entry, const char* unavailable);

  // A library of the system instead, by the name the loader searches for ("libz.so.1"),
  // with the same look-up and the same Error line.
  struct OfTheSystem {};
  SideLibrary(OfTheSystem, const char* soname, const char* entry, const char* unavailable);

  // Whether `fileName` is there beside the platform library: found without opening it.
  static bool present(const char* fileName);

  // The entry itself, as a function of type `Function`; null when the library could not be
  // opened.
  template <typename Function>
  Function function() const {
    return reinterpret_cast<Function>(entry_);
  }

  // The table of functions the entry hands back; null when the library could not be opened.
  template <typename Table>
  const Table* table() const {
    auto makeTable = reinterpret_cast<const Table* (*)()>(entry_);
    return makeTable ? makeTable() : nullptr;
  }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  void open(const std::string& path, const char* entry, const char* unavailable);
  // Opened with RTLD_NODELETE: what the library made may outlive the handle, and the
  // libraries it brings register types and handlers that cannot be taken back.
  std::unique_ptr<void, Closer> library_;
  void* entry_ = nullptr;
};

// A table that code reached only after its library opened asks for: a null there is a bug
// (the caller skipped the library's get() check), not a missing library.
template <typename Table>
const Table& openedTable(const Table* table) {
  if (!table) std::abort();
  return *table;
}

}  // namespace velquarin::platform
