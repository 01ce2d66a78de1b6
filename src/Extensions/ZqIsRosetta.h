#pragma once

// Whether the process runs translated for another processor. Linux has no such setting,
// so this is false here.
bool ZqIsRosetta();
