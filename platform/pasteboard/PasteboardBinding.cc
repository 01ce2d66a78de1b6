#include "binding/BindingRegistry.h"
#include "pasteboard/Pasteboard.h"

namespace velquarin::binding {
namespace {

using platform::Pasteboard;
using platform::PasteboardBytes;
using platform::PasteboardItem;

// "general", "find" and "drag" name the standard pasteboards; anything else is a name.
std::shared_ptr<Pasteboard> pasteboardNamed(const std::string& name) {
  if (name == "general") return Pasteboard::general();
  if (name == "find") return Pasteboard::find();
  if (name == "drag") return Pasteboard::drag();
  return Pasteboard::withName(name);
}

std::shared_ptr<Pasteboard> pasteboardArgument(const Napi::CallbackInfo& info, const char* usage) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(), usage)) return nullptr;
  return pasteboardNamed(info[0].As<Napi::String>().Utf8Value());
}

// [{type: string | Buffer | null}, ...] to items; false (with a TypeError) on anything else.
bool readItems(Napi::Env env, Napi::Value value, std::vector<PasteboardItem>& items) {
  const char* usage = "items: an array of objects mapping types to a string, a Buffer or null";
  if (failIf(env, !value.IsArray(), usage)) return false;
  auto array = value.As<Napi::Array>();
  for (uint32_t i = 0; i < array.Length(); ++i) {
    auto entry = array.Get(i);
    if (failIf(env, !entry.IsObject() || entry.IsArray(), usage)) return false;
    auto object = entry.As<Napi::Object>();
    auto names = object.GetPropertyNames();
    PasteboardItem item;
    for (uint32_t k = 0; k < names.Length(); ++k) {
      const auto type = names.Get(k).ToString().Utf8Value();
      auto data = object.Get(type);
      if (data.IsNull()) {
        item.declareType(type);
      } else if (data.IsString()) {
        const auto text = data.As<Napi::String>().Utf8Value();
        item.setData(type, PasteboardBytes(text.begin(), text.end()));
      } else if (data.IsBuffer()) {
        auto buffer = data.As<Napi::Buffer<uint8_t>>();
        item.setData(type, PasteboardBytes(buffer.Data(), buffer.Data() + buffer.Length()));
      } else {
        failIf(env, true, usage);
        return false;
      }
    }
    items.push_back(std::move(item));
  }
  return true;
}

// writePasteboard(name, items): replaces the contents, as another application would; false
// when they could not be published.
Napi::Value writePasteboard(const Napi::CallbackInfo& info) {
  auto pasteboard = pasteboardArgument(info, "writePasteboard(name: string, items: object[])");
  std::vector<PasteboardItem> items;
  if (!pasteboard || !readItems(info.Env(), info[1], items)) return {};
  return Napi::Boolean::New(info.Env(), pasteboard->replaceItems(items));
}

// readPasteboard(name): [{type: Buffer | null}], or null when the contents cannot be read.
Napi::Value readPasteboard(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto pasteboard = pasteboardArgument(info, "readPasteboard(name: string)");
  if (!pasteboard) return {};
  auto items = pasteboard->items(true);
  if (!items) return env.Null();
  auto result = Napi::Array::New(env, items->size());
  for (uint32_t i = 0; i < items->size(); ++i) {
    auto object = Napi::Object::New(env);
    for (const auto& entry : (*items)[i].entries()) {
      object.Set(entry.type, entry.data ? Napi::Buffer<uint8_t>::Copy(env, entry.data->data(),
                                                                      entry.data->size())
                                        : env.Null());
    }
    result.Set(i, object);
  }
  return result;
}

// pasteboardTypes(name): the types of every item, without reading their data.
Napi::Value pasteboardTypes(const Napi::CallbackInfo& info) {
  auto env = info.Env();
  auto pasteboard = pasteboardArgument(info, "pasteboardTypes(name: string)");
  if (!pasteboard) return {};
  const auto types = pasteboard->types();
  auto result = Napi::Array::New(env, types.size());
  for (uint32_t i = 0; i < types.size(); ++i) result.Set(i, types[i]);
  return result;
}

// uniquePasteboard(): the name of a new pasteboard; releasePasteboard(name) forgets it.
Napi::Value uniquePasteboard(const Napi::CallbackInfo& info) {
  return Napi::String::New(info.Env(), Pasteboard::withUniqueName()->name());
}

Napi::Value releasePasteboard(const Napi::CallbackInfo& info) {
  if (failIf(info.Env(), info.Length() < 1 || !info[0].IsString(),
             "releasePasteboard(name: string)")) {
    return {};
  }
  return Napi::Boolean::New(info.Env(),
                            Pasteboard::release(info[0].As<Napi::String>().Utf8Value()));
}

// pasteboardBackend(): "x11" or "memory" for the general pasteboard.
Napi::Value pasteboardBackend(const Napi::CallbackInfo& info) {
  return Napi::String::New(info.Env(), Pasteboard::general()->backendName());
}

// setPasteboardReadLimit(bytes): the cap on one type read from another application.
Napi::Value setPasteboardReadLimit(const Napi::CallbackInfo& info) {
  if (failIf(
          info.Env(),
          info.Length() < 1 || !info[0].IsNumber() || info[0].As<Napi::Number>().DoubleValue() < 0,
          "setPasteboardReadLimit(bytes: number)")) {
    return {};
  }
  Pasteboard::setReadLimit(static_cast<std::size_t>(info[0].As<Napi::Number>().Int64Value()));
  return info.Env().Undefined();
}

void install(Napi::Env, Napi::Object exports) {
  exportFunction(exports, "writePasteboard", writePasteboard);
  exportFunction(exports, "readPasteboard", readPasteboard);
  exportFunction(exports, "pasteboardTypes", pasteboardTypes);
  exportFunction(exports, "uniquePasteboard", uniquePasteboard);
  exportFunction(exports, "releasePasteboard", releasePasteboard);
  exportFunction(exports, "pasteboardBackend", pasteboardBackend);
  exportFunction(exports, "setPasteboardReadLimit", setPasteboardReadLimit);
}

const Registrar registrar(install);

}  // namespace
}  // namespace velquarin::binding
