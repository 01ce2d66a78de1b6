#pragma once

// Registers the module's scripting definition (the application with its outgoing messages,
// current page and do-not-disturb mode; messages, recipients, attachments, signatures) with
// the platform's scripting runtime, and announces the page and the mode when they change.
// Once; main thread.
void ZqRegisterScriptingDefinition();

// The host reported a new page: scripts listening hear of the URL and the title.
void ZqAnnounceCurrentPage();
