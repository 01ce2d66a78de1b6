#pragma once

#include <napi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "WebView/ZqReplaceMethod.h"
#include "windows/DraggingDestination.h"
#include "windows/Window.h"

// Drag and drop into the host's web view: its four drag handlers tell the host about file
// drags first, and dropFiles drives the web view's own handlers with a synthetic drag.

// Start-up: intercepts the web view class's drag handlers, keeping its own under the
// names with an underscore before the colon ("draggingEntered_:").
void ZqInstallWebContentsViewPatch();

// Tells the host about one drag event, when a callback is stored and the drag carries files.
void CallCallback(const char* eventName, const velquarin::platform::DraggingInfo& info);

// The web view of the window that should receive a drop: up from the first responder (at
// most 101 views), else the first web view inside a container view of the content view.
std::shared_ptr<velquarin::platform::View> FindWebViewDropTarget(
    velquarin::platform::Window& window);

// Drops the files at `point` (window coordinates) into the window's web view through its own
// handlers; true when the web view accepted them.
bool DropFiles(velquarin::platform::Window& window, velquarin::platform::Point point,
               const std::vector<std::string>& paths);

void SetDragAndDropCallback(Napi::Value function);
