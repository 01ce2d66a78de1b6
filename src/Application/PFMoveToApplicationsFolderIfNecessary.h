#pragma once

// Offers to move the application into the applications folder when it runs from elsewhere.
// Linux has no such folder: it logs at debug level why it does nothing.
void PFMoveToApplicationsFolderIfNecessary();
