#pragma once

// The dock menu's actions for a desktop entry's static actions: io.velquarin.DockMenu1 on
// the application's bus object, ActivateAction(s) with "get-new-mail",
// "toggle-do-not-disturb" or "compose-new-message", sent to the application delegate's
// forwarders.
inline constexpr const char* kZqDockMenuBusInterface = "io.velquarin.DockMenu1";

void ZqPublishDockMenuOnBus();
