#pragma once

#include <napi.h>

#include <memory>

#include "images/Image.h"
#include "menus/Menu.h"

namespace velquarin::binding {

// A menu's items as the binding hands them to the host: titles, states, key equivalents,
// represented objects (integers beyond 2^53 as bigints) and nested submenus.
Napi::Value describeMenu(Napi::Env env, const platform::Menu& menu, int depth = 0);
// An image as PNG bytes; null when there is none.
Napi::Value pngOf(Napi::Env env, const std::shared_ptr<platform::Image>& image);

}  // namespace velquarin::binding
