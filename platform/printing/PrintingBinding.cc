#include "binding/BindingRegistry.h"
#include "printing/PrintPanel.h"

namespace velquarin::binding {
namespace {

using platform::PrintPanel;

// printPanel(): null, or {path, printers, defaultPrinter, selectedPrinter}.
Napi::Value printPanel(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto panel = PrintPanel::current();
  if (!panel) return env.Null();
  auto result = Napi::Object::New(env);
  result.Set("path", panel->path());
  auto printers = Napi::Array::New(env);
  for (const auto& name : panel->printers().printers) printers.Set(printers.Length(), name);
  result.Set("printers", printers);
  const auto& fallback = panel->printers().defaultPrinter;
  result.Set("defaultPrinter",
             fallback ? Napi::Value(Napi::String::New(env, *fallback)) : env.Null());
  result.Set("selectedPrinter", panel->selectedPrinter
                                    ? Napi::Value(Napi::String::New(env, *panel->selectedPrinter))
                                    : env.Null());
  return result;
}

// endPrintPanel(printer | null, {copies}?): prints on the printer, or cancels; false when no
// panel is shown or the printer or copies are not acceptable.
Napi::Value endPrintPanel(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  const bool cancel = info.Length() < 1 || info[0].IsNull() || info[0].IsUndefined();
  if (failIf(env, !cancel && !info[0].IsString(),
             "endPrintPanel(printer: string | null, options?: {copies?: number})")) {
    return {};
  }
  int copies = 1;
  if (info.Length() > 1 && info[1].IsObject()) {
    const auto value = info[1].As<Napi::Object>().Get("copies");
    if (failIf(env, !value.IsUndefined() && !value.IsNumber(),
               "endPrintPanel: copies must be a number")) {
      return {};
    }
    if (value.IsNumber()) copies = value.As<Napi::Number>().Int32Value();
  }
  std::optional<std::string> printer;
  if (!cancel) printer = info[0].As<Napi::String>().Utf8Value();
  return Napi::Boolean::New(env, PrintPanel::end(printer, copies));
}

// printJobs(): [{id, printer, path, title, copies, error}] of the jobs sent so far.
Napi::Value printJobs(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto jobs = Napi::Array::New(env);
  for (const auto& job : PrintPanel::jobs()) {
    auto entry = Napi::Object::New(env);
    entry.Set("id", job.id);
    entry.Set("printer", job.printer);
    entry.Set("path", job.path);
    entry.Set("title", job.title);
    entry.Set("copies", job.copies);
    entry.Set("error", job.error.empty() ? env.Null() : Napi::String::New(env, job.error));
    jobs.Set(jobs.Length(), entry);
  }
  return jobs;
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "printPanel", printPanel);
  exportFunction(exports, "endPrintPanel", endPrintPanel);
  exportFunction(exports, "printJobs", printJobs);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
