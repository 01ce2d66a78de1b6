#pragma once

#include <napi.h>

#include <cstddef>
#include <string_view>

#include "Utilities/ZqSourceName.h"

// The arguments of a host call, with the type tests that argument contracts are written in,
// so a contract reads as its report does: ZQ_CONTRACT(args[0]->IsString()).
class ZqArgValue {
 public:
  explicit ZqArgValue(Napi::Value value) : value_(value) {}
  bool IsString() const { return value_.IsString(); }
  bool IsNull() const { return value_.IsNull(); }
  bool IsUndefined() const { return value_.IsUndefined(); }
  bool IsNullOrUndefined() const { return value_.IsNull() || value_.IsUndefined(); }
  bool IsBoolean() const { return value_.IsBoolean(); }
  bool IsFunction() const { return value_.IsFunction(); }
  // Objects in the engine's sense: functions, arrays and buffers included, null excluded.
  bool IsObject() const { return value_.IsObject() || value_.IsFunction(); }
  bool IsInt32() const;
  Napi::Value value() const { return value_; }

 private:
  Napi::Value value_;
};

class ZqArgs {
 public:
  explicit ZqArgs(const Napi::CallbackInfo& info) : info_(info) {}

  struct Ref {
    ZqArgValue value;
    const ZqArgValue* operator->() const { return &value; }
  };

  std::size_t Length() const { return info_.Length(); }
  // A missing argument reads as undefined.
  Ref operator[](std::size_t index) const { return Ref{ZqArgValue(info_[index])}; }
  Napi::Value at(std::size_t index) const { return info_[index]; }
  Napi::Env Env() const { return info_.Env(); }
  const Napi::CallbackInfo& info() const { return info_; }

 private:
  const Napi::CallbackInfo& info_;
};

// Throws the contract report as a JavaScript TypeError naming the function, the source file,
// the line and the condition.
void ZqReportContractViolation(Napi::Env env, std::string_view function, std::string_view file,
                               int line, std::string_view condition);

// Checks one condition of an entry's contract; on failure reports it and leaves the entry.
#define ZQ_CONTRACT(condition)                                                                   \
  do {                                                                                           \
    if (!(condition)) {                                                                          \
      ZqReportContractViolation(args.Env(), __func__, ZQ_SOURCE_BASENAME, __LINE__, #condition); \
      return Napi::Value();                                                                      \
    }                                                                                            \
  } while (0)
