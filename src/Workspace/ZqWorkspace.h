#pragma once

#include <napi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "images/Image.h"
#include "images/ImageTypes.h"
#include "sharing/SharingServicePicker.h"
#include "windows/Window.h"

// Quick Look, sharing and file pictures for the host. Main thread.

// Shows the files in the Quick Look panel for the window, starting at `startIndex`; the host
// function hears which file is showing.
void ZqQuickLookFiles(const std::shared_ptr<velquarin::platform::Window>& window,
                      std::vector<std::string> paths, std::int64_t startIndex,
                      Napi::Value function);

// The sharing picker for the files beside `rect` of the window's content view.
void ZqShareFiles(std::vector<std::string> paths,
                  const std::shared_ptr<velquarin::platform::Window>& window,
                  velquarin::platform::Rect rect,
                  velquarin::platform::SharingServicePicker::Edge edge);

// The file's thumbnail (or, in icon mode, its icon) of `size` points at the screen's scale,
// made on the background queue; `completion` gets it, or null, on the main thread. The
// host's loop stays open meanwhile. False (and an error line) when the path names no file:
// then nothing is started.
bool ZqImagePreview(const std::string& path, int size, bool iconMode,
                    std::function<void(std::shared_ptr<velquarin::platform::Image>)> completion);
