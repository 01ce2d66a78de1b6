#pragma once

#include <string>

// The name of this build in crash reports and for the host: "<short version> (<build>)" of
// the main bundle, read once per process.
const std::string& ZqGetRelease();
