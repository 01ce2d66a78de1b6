#pragma once

// Whether the application appears dark (the desktop's dark colour scheme).
bool ZqIsDarkMode();
