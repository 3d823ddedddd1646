// A folder for the X input method's compiled compose table. Xlib compiles the
// keyboard's compose file (half a megabyte of text in UTF-8 locales) at every
// start, some 7 ms here, unless it finds a compiled copy: in the folder named by
// XCOMPOSECACHE, in ~/.compose-cache when the player has made one, or in the
// system's cache, which Debian ships empty. The game gives it a folder of its
// own under the player's cache folder, so every start after the first reads the
// copy instead. Xlib checks the copy against the compose file and keeps none for
// root. Wayland's own compose handling never looks at the variable.
#pragma once

#include <string>

namespace platform {

struct ComposeCacheSources {
    const char* xcomposecache = nullptr;  // environment values, null when unset
    const char* xdgCacheHome = nullptr;
    const char* home = nullptr;
    bool homeComposeCacheExists = false;  // ~/.compose-cache, which Xlib uses unasked
    bool root = false;
};

// The folder to name in XCOMPOSECACHE, or empty when Xlib is better left alone:
// the player chose a folder already, or Xlib would not use one.
std::string ComposeCacheFolder(const ComposeCacheSources& sources);

// Makes folder and its missing parents (the new ones private to the player).
// True when folder is then one of the player's own that nobody else may write to.
bool MakePrivateFolder(const std::string& folder);

// Chooses, makes and names this player's folder; called by PrepareSdlEnvironment,
// while the program has a single thread (the environment is changed).
void UseComposeCache();

}  // namespace platform
