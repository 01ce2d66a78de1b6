#include "WebView/ZqDraggingInfo.h"

#include "pasteboard/Pasteboard.h"

ZqDraggingInfo::ZqDraggingInfo(velquarin::platform::Point location)
    : location_(location), pasteboard_(velquarin::platform::Pasteboard::drag()) {}
