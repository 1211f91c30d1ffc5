#pragma once
// The commands pages call as methods of window.external, and their registration.

class SimpleBrowser;

// Points the host's script object at the host and registers the eight
// commands ("home" 1000 ... "set_window" 1007). After the first run every
// registration is refused and nothing changes. The commands answer only
// while the host's current document is trusted (SimpleBrowser).
void RegisterScriptCommands(SimpleBrowser* host);
