#include "Utilities/ZqArgs.h"

#include <cmath>
#include <string>

bool ZqArgValue::IsInt32() const {
  if (!value_.IsNumber()) return false;
  const double number = value_.As<Napi::Number>().DoubleValue();
  return number >= -2147483648.0 && number <= 2147483647.0 && std::trunc(number) == number &&
         !(number == 0 && std::signbit(number));
}

void ZqReportContractViolation(Napi::Env env, std::string_view function, std::string_view file,
                               int line, std::string_view condition) {
  const std::string message = "Assertion failed: (" + std::string(condition) + "), function " +
                              std::string(function) + ", file " + std::string(file) + ", line " +
                              std::to_string(line) + ".";
  auto error = Napi::TypeError::New(env, message);
  error.Set("function", std::string(function));
  error.Set("file", std::string(file));
  error.Set("line", Napi::Number::New(env, line));
  error.Set("condition", std::string(condition));
  error.ThrowAsJavaScriptException();
}
