#pragma once

#include <functional>
#include <string>

// Before the graphics stack starts: a process translated for another processor runs with
// the boolean user default "DisableGPU" set; a native one leaves it alone.
void ZqDisableGPUIfNeeded();

// The same decision with its inputs given: whether the process is translated, and how a
// boolean user default is written.
using ZqBoolDefaultWriter = std::function<void(const std::string& key, bool value)>;
void ZqDisableGPUIfNeeded(bool translated, const ZqBoolDefaultWriter& writeDefault);
