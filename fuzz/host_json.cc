// JSON text the host passes in (menu content, dialog options): parsed the module's way, a
// value always writes back as JSON text that parses to the same value, and the save
// dialog's options only ever give an absolute folder.

#include <cstdint>
#include <string>

#include "Extensions/ZqSaveDialogOptions.h"
#include "FuzzSupport.h"
#include "Utilities/ZqJSON.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::string error;
  const auto parsed = ZqConvertFromJSONString(text, &error);
  ZQ_FUZZ_CHECK(parsed.has_value() == error.empty(), error);
  if (parsed) {
    ZQ_FUZZ_CHECK(parsed->is_object() || parsed->is_array(), text);
    // Text that was read is UTF-8 and nested within the limit: it can always be written.
    const auto written = ZqConvertToJSONString(*parsed);
    ZQ_FUZZ_CHECK(written.has_value(), text);
    const auto reread = ZqConvertFromJSONString(*written, &error);
    ZQ_FUZZ_CHECK(reread.has_value(), error + "\n" + *written);
    ZQ_FUZZ_CHECK(*reread == *parsed, *written);
  }

  error.clear();
  const auto options = ZqSaveDialogOptionsFromJSON(text, &error);
  ZQ_FUZZ_CHECK(options.has_value() == (parsed && parsed->is_object()), text);
  if (options && options->directory) {
    const std::string& directory = *options->directory;
    ZQ_FUZZ_CHECK(!directory.empty() && directory.front() == '/', directory);
    ZQ_FUZZ_CHECK(directory.find('\0') == std::string::npos, directory);
    ZQ_FUZZ_CHECK(directory.find("/../") == std::string::npos && !directory.ends_with("/.."),
                  directory);
  }
  return 0;
}
