#pragma once

#include <glib-object.h>

#include <memory>
#include <utility>

#include "gio/GioLibrary.h"
#include "keychain/SecretLibrary.h"

// Owning handles for the GLib and libsecret values the Secret Service store uses.

namespace velquarin::platform::keychain {

// A strong reference to a GObject; copies take another reference.
template <typename T>
class GObjectRef {
 public:
  GObjectRef() = default;
  // Takes over a reference the caller owns (a "transfer full" result).
  static GObjectRef adopt(T* object) {
    GObjectRef ref;
    ref.object_ = object;
    return ref;
  }
  // Takes a new reference to an object the caller does not own.
  static GObjectRef retain(T* object) {
    return adopt(object ? static_cast<T*>(gio().object_ref(object)) : nullptr);
  }
  GObjectRef(const GObjectRef& other) : object_(retain(other.object_).release()) {}
  GObjectRef(GObjectRef&& other) noexcept : object_(other.release()) {}
  GObjectRef& operator=(GObjectRef other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~GObjectRef() { reset(); }

  T* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void reset() {
    if (object_) gio().object_unref(object_);
    object_ = nullptr;
  }
  T* release() { return std::exchange(object_, nullptr); }

 private:
  T* object_ = nullptr;
};

struct GErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GHashTableUnref {
  void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using GHashTablePtr = std::unique_ptr<GHashTable, GHashTableUnref>;

struct SecretValueUnref {
  void operator()(SecretValue* value) const { libsecret().value_unref(value); }
};
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueUnref>;

// A list of objects, each holding one reference (what libsecret's searches return).
struct GObjectListFree {
  void operator()(GList* list) const { g_list_free_full(list, gio().object_unref); }
};
using GObjectListPtr = std::unique_ptr<GList, GObjectListFree>;

// Collects a GError out-parameter: `call(out.slot())`, then test `out`.
class GErrorOut {
 public:
  GError** slot() { return &error_; }
  explicit operator bool() const { return error_ != nullptr; }
  const GError* get() const { return error_; }
  void clear() { g_clear_error(&error_); }
  ~GErrorOut() {
    if (error_) g_error_free(error_);
  }
  GErrorOut() = default;
  GErrorOut(const GErrorOut&) = delete;
  GErrorOut& operator=(const GErrorOut&) = delete;

 private:
  GError* error_ = nullptr;
};

}  // namespace velquarin::platform::keychain
