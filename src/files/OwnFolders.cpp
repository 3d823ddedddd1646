#include "files/OwnFolders.h"

#include <sys/stat.h>

#include <cerrno>

namespace files {

int MakeOwnFolders(const std::string& folder, std::string& failedAt) {
    if (folder.empty()) {
        failedAt = folder;
        return ENOENT;
    }
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            failedAt = part;
            return errno;
        }
        if (slash == std::string::npos) break;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        failedAt = folder;
        return ENOTDIR;
    }
    return 0;
}

}  // namespace files
