#pragma once

#include <functional>
#include <string>

#include "windows/DraggingDestination.h"

// Puts `method` on `cls` under `selector`, keeping what was there under `keptSelector`
// unless that name is taken already (so a second install cannot call itself); returns the
// operation it displaced.
std::function<velquarin::platform::DragHandler> ZqReplaceMethod(
    const std::string& cls, const std::string& selector, const std::string& keptSelector,
    std::function<velquarin::platform::DragHandler> method);
