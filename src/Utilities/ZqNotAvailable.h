#pragma once

#include "Utilities/ZqArgs.h"

// The answer of an export whose subsystem is not built yet: an error line, then undefined.
Napi::Value ZqNotAvailableYet(const ZqArgs& args, const char* name);
