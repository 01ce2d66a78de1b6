#include "Exports.h"
#include "Migration/ZqAccounts.h"
#include "Migration/ZqMigration.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"

namespace zq::exports {

Napi::Value hasPreviousVersion(const ZqArgs& args) {
  const ZqMigration migration;
  const bool answer = migration.hasPreviousVersion() && migration.hasAccounts();
  return Napi::Boolean::New(args.Env(), answer);
}

Napi::Value getMigrationInfo(const ZqArgs& args) {
  const std::optional<std::string> sections = convertToString(args.at(0));
  const auto text = ZqMigration().documentTextForSections(sections);
  if (!text) {
    ZQ_LOG_AS("VelquarinNative", ZqLogLevel::Warning, "Couldn't convert to JSON");
    return args.Env().Null();
  }
  return ZqToHostString(args.Env(), text->view());
}

}  // namespace zq::exports
