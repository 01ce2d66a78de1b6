#include <cmath>

#include "binding/BindingRegistry.h"
#include "logging/Log.h"

namespace velquarin::binding {
namespace {

using platform::Log;
using platform::LogLevel;

std::optional<LogLevel> levelNamed(const std::string& name) {
  for (LogLevel level :
       {LogLevel::Error, LogLevel::Warning, LogLevel::Info, LogLevel::Debug, LogLevel::Verbose}) {
    if (name == platform::logLevelName(level)) return level;
  }
  return std::nullopt;
}

// log(level, file, function, line, text): a line as if logged at that place of the module.
Napi::Value log(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  if (failIf(env,
             info.Length() < 5 || !info[0].IsString() || !info[1].IsString() ||
                 !info[2].IsString() || !info[3].IsNumber() || !info[4].IsString(),
             "log(level: string, file: string, function: string, line: number, text: string)")) {
    return {};
  }
  const auto level = levelNamed(info[0].As<Napi::String>().Utf8Value());
  if (failIf(env, !level, "log: level is one of error, warning, info, debug, verbose")) return {};
  const double line = info[3].As<Napi::Number>().DoubleValue();
  if (failIf(env, !std::isfinite(line) || line < 0 || line > 1e9, "log: line out of range")) {
    return {};
  }
  const Log::Site site{Log::intern(info[1].As<Napi::String>().Utf8Value()),
                       Log::intern(info[2].As<Napi::String>().Utf8Value()), static_cast<int>(line)};
  Log::write(*level, site, info[4].As<Napi::String>().Utf8Value());
  return env.Undefined();
}

// flushLogs(): true once every line logged so far is written.
Napi::Value flushLogs(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), Log::flush());
}

Napi::Value stringOrNull(Napi::Env env, const std::optional<std::string>& text) {
  return text ? Napi::String::New(env, *text) : env.Null();
}

// logFolder(), logFile(): the log file's folder and the file being written, or null.
Napi::Value logFolder(const Napi::CallbackInfo& info) {
  return stringOrNull(info.Env(), Log::directory());
}

Napi::Value logFile(const Napi::CallbackInfo& info) {
  return stringOrNull(info.Env(), Log::currentFile());
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "log", log);
  exportFunction(exports, "flushLogs", flushLogs);
  exportFunction(exports, "logFolder", logFolder);
  exportFunction(exports, "logFile", logFile);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
