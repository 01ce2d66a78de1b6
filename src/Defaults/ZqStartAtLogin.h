#pragma once

// Starting the application at login: its own item in the user's login-items list, found by
// the main bundle's location.

// The display name of the previous major version's login item.
inline constexpr const char* kZqPreviousVersionLoginItemName = "Velquarin 3";

// Whether the application's own login item exists (false when the list cannot be opened).
bool ZqGetStartAtLogin();
// Adds the item first in the list, or removes it; never adds a second one.
void ZqSetStartAtLogin(bool enabled);
// Replaces the previous version's login item by the application's own.
void ZqMigrateStartAtLogin();
