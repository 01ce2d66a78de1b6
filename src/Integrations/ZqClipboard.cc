#include "Integrations/ZqClipboard.h"

#include "Utilities/ZqLog.h"
#include "pasteboard/Pasteboard.h"
#include "pasteboard/PasteboardTypes.h"

void ZqClipboard::copy(const std::string& text) {
  ZQ_SYSTEM_LOG(">>> copy to pasteboard %@", text);
  auto pasteboard = velquarin::platform::Pasteboard::general();
  pasteboard->declareTypes({velquarin::platform::kPasteboardTypeString});
  pasteboard->setString(text, velquarin::platform::kPasteboardTypeString);
}
