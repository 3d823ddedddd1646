#include "files/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace files {

namespace {

[[noreturn]] void Fail(const std::string& path, int err) { throw FileError(path, std::strerror(err)); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    std::string temp = path + ".new-XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    Fd file{::mkstemp(name.data())};
    if (file.fd < 0) Fail(path, errno);
    temp = name.data();
    auto failed = [&temp](int err) {
        ::unlink(temp.c_str());
        return err;
    };
    // mkstemp makes the file for its owner alone; a record is as readable as the table.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file.fd, 0666 & ~mask);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(file.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail(path, failed(errno));
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(file.fd) != 0) Fail(path, failed(errno));
    const int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0) Fail(path, failed(errno));
    if (::rename(temp.c_str(), path.c_str()) != 0) Fail(path, failed(errno));
    // The rename on the disk too; the file is in place whatever this says.
    Fd folder{::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd >= 0) ::fsync(folder.fd);
}

std::string ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    Fd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) Fail(path, errno);
    std::string bytes;
    char block[65536];
    while (bytes.size() <= maxBytes) {
        const ssize_t n = ::read(file.fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail(path, errno);
        if (n == 0) break;
        bytes.append(block, static_cast<std::size_t>(n));
    }
    if (bytes.size() > maxBytes + 1) bytes.resize(maxBytes + 1);
    return bytes;
}

}  // namespace files
