#include "game/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace game {

namespace {

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void ExecInGrandchild(char* const argv[], int reportFd) {
    if (::setsid() < 0) ::_exit(127);
    const pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 127 : 0);
    // Nothing of ours goes to the new copy: not the display, not the audio device,
    // not the files; the report pipe closes itself on a successful exec.
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != reportFd) ::close(fd);
    ::syscall(SYS_close_range, 1024u, ~0u, 0u);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(argv[0], argv);
    const char failed = 1;
    [[maybe_unused]] auto n = ::write(reportFd, &failed, 1);
    ::_exit(127);
}

}  // namespace

bool StartDetached(const std::string& path, const std::vector<std::string>& args) {
    // Made before the fork: the child may not allocate.
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        ExecInGrandchild(argv.data(), pipeFds[1]);
    }
    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The exec either closes the pipe (success) or writes one byte (failure).
    char failed = 0;
    ssize_t n = 0;
    do {
        n = ::read(pipeFds[0], &failed, 1);
    } while (n < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

std::string RunningProgramPath() {
    std::vector<char> buf(PATH_MAX);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

}  // namespace game
