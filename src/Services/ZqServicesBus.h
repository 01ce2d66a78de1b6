#pragma once

// The application's services for scripts, file-manager actions and shortcuts: the interface
// io.velquarin.Services1 on the application's bus object, with SearchSelection(s),
// MailSelection(s), MailDocument(as: absolute paths) and MailTo(s). Each runs the service
// handler on the main thread and replies after it; an error text comes back as InvalidArgs.
inline constexpr const char* kZqServicesBusInterface = "io.velquarin.Services1";

void ZqPublishServicesOnBus();
