#include "platform/sdl/ComposeCache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "files/OwnFolders.h"

namespace platform {

namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Xlib loads the compiled table it finds there: nobody else may have put it there.
bool IsOwnUnsharedFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::string ComposeCacheFolder(const ComposeCacheSources& sources) {
    if (sources.xcomposecache != nullptr || sources.homeComposeCacheExists || sources.root) return {};
    // A relative XDG_CACHE_HOME is invalid and ignored, as the base-directory rules say.
    if (IsAbsolute(sources.xdgCacheHome)) return std::string(sources.xdgCacheHome) + "/swoopy/compose";
    if (IsAbsolute(sources.home)) return std::string(sources.home) + "/.cache/swoopy/compose";
    return {};
}

bool MakePrivateFolder(const std::string& folder) {
    if (folder.empty()) return false;
    // Every start after the first finds it there: one look, no walk down the path.
    if (IsOwnUnsharedFolder(folder)) return true;
    std::string failedAt;
    return files::MakeOwnFolders(folder, failedAt) == 0 && IsOwnUnsharedFolder(folder);
}

void UseComposeCache() {
    const char* home = std::getenv("HOME");
    ComposeCacheSources sources;
    sources.xcomposecache = std::getenv("XCOMPOSECACHE");
    sources.xdgCacheHome = std::getenv("XDG_CACHE_HOME");
    sources.home = home;
    sources.homeComposeCacheExists = IsAbsolute(home) && IsFolder(std::string(home) + "/.compose-cache");
    sources.root = ::geteuid() == 0;
    const std::string folder = ComposeCacheFolder(sources);
    // Without the folder Xlib simply compiles the table as before.
    if (MakePrivateFolder(folder)) ::setenv("XCOMPOSECACHE", folder.c_str(), 0);
}

}  // namespace platform
