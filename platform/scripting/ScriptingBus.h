#pragma once

namespace velquarin::platform {

// Offers the registered scripting definition on the application's bus object, then starts the
// bus on the main queue's next turn (see bus/ApplicationBus.h). From the definition:
// - the application class is the interface <prefix>.<Class> on the application object: its
//   properties by their keys with the first letter in capitals, booleans "b", integers "x",
//   text "s" (missing reads ""), value objects as their fields ("(ss)", or the one field),
//   element lists as "a" of those, or "ao" for elements with unique IDs;
// - each element list with unique IDs is a collection <path>/<Key>/<id> whose objects carry
//   <prefix>.<Class> with their properties, their class commands (Compose()) and Delete();
//   the application gains Make<Class>(a{sv}) -> o and <Class>WithUniqueID(x) -> o;
// - properties asked of the host on each read are only read by a Get of their own; announced
//   ones send PropertiesChanged.
// Main thread; once.
void publishScriptingOnBus();

}  // namespace velquarin::platform
