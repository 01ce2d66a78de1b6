#pragma once

#include <memory>
#include <string>

#include "images/Image.h"

// The image <name>.png of the main bundle's Resources, loaded once and shared; null when
// there is none. Names are resource names, never paths: one that leaves the folder finds
// nothing.
std::shared_ptr<velquarin::platform::Image> ZqImageNamed(const std::string& name);
