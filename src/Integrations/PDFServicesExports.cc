#include "Exports.h"
#include "Integrations/ZqPDFServices.h"
#include "Utilities/ZqStartupStep.h"

namespace zq::exports {

Napi::Value uninstallPDFServices(const ZqArgs& args) {
  ZqPDFServices::sharedInstance().uninstall();
  return args.Env().Undefined();
}

namespace {
const ZqStartupStep pdfService(16, "PDF service",
                               [](Napi::Env) { ZqPDFServices::sharedInstance().install(); });
}  // namespace

}  // namespace zq::exports
