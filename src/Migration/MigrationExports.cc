#include "Exports.h"
#include "Migration/ZqAccounts.h"
#include "Migration/ZqMigration.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqJSON.h"
#include "Utilities/ZqLog.h"

namespace zq::exports {

Napi::Value hasPreviousVersion(const ZqArgs& args) {
  const ZqMigration migration;
  const bool answer = migration.hasPreviousVersion() && migration.hasAccounts();
  return Napi::Boolean::New(args.Env(), answer);
}

Napi::Value getMigrationInfo(const ZqArgs& args) {
  const std::optional<std::string> sections = convertToString(args.at(0));
  std::optional<std::string> text;
  {
    // The document goes before the host string is made: large exports hold one copy less.
    const auto document = ZqMigration().documentForSections(sections);
    if (document) text = ZqConvertToJSONString(*document);
  }
  if (!text) {
    ZQ_LOG_WARN("Couldn't convert to JSON");
    return args.Env().Null();
  }
  return ZqToHostString(args.Env(), *text);
}

}  // namespace zq::exports
