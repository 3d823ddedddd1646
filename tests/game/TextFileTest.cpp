#include "game/TextFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stop_token>
#include <thread>

namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("swoopy-textfile-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& bytes) {
        const std::string path = (dir_ / "file.txt").string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::vector<std::string> ReadAll(const std::string& path) {
        game::TextReader reader(path);
        std::vector<std::string> lines;
        while (!reader.Eof()) lines.push_back(reader.ReadLine());
        return lines;
    }
    std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
};

using Lines = std::vector<std::string>;

std::vector<std::string> FolderEntries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(TextFileTest, LineEndsAreCrLfOrLfAndTheLastNeedsNone) {
    EXPECT_EQ(ReadAll(Write("a\r\n\r\nb\r\n")), (Lines{"a", "", "b"}));
    EXPECT_EQ(ReadAll(Write("a\n\nb\n")), (Lines{"a", "", "b"}));
    EXPECT_EQ(ReadAll(Write("a\n\nb")), (Lines{"a", "", "b"}));
}

TEST_F(TextFileTest, LoneCrIsDroppedAndEndsNothing) {
    EXPECT_EQ(ReadAll(Write("ab\rcd\r\nef\r")), (Lines{"abcd", "ef"}));
}

TEST_F(TextFileTest, CtrlZWhereALineBeginsEndsTheFile) {
    EXPECT_EQ(ReadAll(Write("one\r\ntwo\r\n\x1Athree\r\n")), (Lines{"one", "two"}));
    EXPECT_EQ(ReadAll(Write("\x1A")), Lines{});
}

TEST_F(TextFileTest, EmptyFileHasNoLinesButBlankLinesCount) {
    EXPECT_EQ(ReadAll(Write("")), Lines{});
    EXPECT_EQ(ReadAll(Write("\r\n")), Lines{""});
    EXPECT_EQ(ReadAll(Write("x\r\n\r\n")), (Lines{"x", ""}));
}

TEST_F(TextFileTest, LongLinesAndHighBytesComeBackUnchanged) {
    const std::string longLine(100000, 'x');
    const std::string accented = "Ren\xE9\x80\xFF";
    EXPECT_EQ(ReadAll(Write(longLine + "\r\n" + accented)), (Lines{longLine, accented}));
    // A line end split between two reads of the file.
    const std::string edge(game::kTextBlockBytes - 1, 'e');
    EXPECT_EQ(ReadAll(Write(edge + "\r\ny\r")), (Lines{edge, "y"}));
}

// Lines are taken from the blocks a run at a time; where a run, a CR LF or a
// cut falls on a block's edge, the lines are as the byte-by-byte rules make them.
TEST_F(TextFileTest, LinesAcrossBlockEdgesAndLinesCutShort) {
    const std::size_t block = game::kTextBlockBytes;
    const std::string a(block - 1, 'a'), x(2 * block + block / 2, 'x');
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t keep;
        Lines lines;
    };
    const Case cases[] = {
        {"a lone CR at a block's end", a + "\rb\r\nc", std::string::npos, {a + "b", "c"}},
        {"a CR LF across the edge", a + "\r\n\r\nd", std::string::npos, {a, "", "d"}},
        {"a line over three blocks", x + "\nz", std::string::npos, {x, "z"}},
        {"cut inside the first block", x + "\r\nz\r\n", 10, {std::string(10, 'x'), "z"}},
        {"cut beyond a block", x + "\r\nz", block + 3, {std::string(block + 3, 'x'), "z"}},
        {"cut after the lone CRs are dropped", "a\rb\rcd\r\ne", 3, {"abc", "e"}},
        {"cut to nothing", "abc\nd", 0, {"", ""}},
        {"a cut longer than the line", "abc\r\n", 100, {"abc"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game::TextReader reader(Write(c.bytes));
        Lines lines;
        while (!reader.Eof()) lines.push_back(reader.ReadLine(c.keep));
        EXPECT_EQ(lines, c.lines);
    }
}

TEST_F(TextFileTest, WritingEndsEachLineWithCrLfAndReplacesTheFile) {
    const std::string path = Write("old contents that are much longer than the new ones\r\n");
    game::WriteTextFile(path, {"523      Anna", "", "-7      Z\xE9"});
    EXPECT_EQ(ReadBytes(path), "523      Anna\r\n\r\n-7      Z\xE9\r\n");

    const std::string fresh = (dir_ / "new.txt").string();
    game::WriteTextFile(fresh, {"a"});
    EXPECT_EQ(ReadBytes(fresh), "a\r\n");
}

// A pseudo-terminal's controller side reads what was written on the other side,
// then fails with EIO once that side has closed: a read error after some lines.
int DescriptorFailingAfter(const std::string& bytes) {
    const int controller = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (controller < 0 || ::grantpt(controller) != 0 || ::unlockpt(controller) != 0) return -1;
    const int other = ::open(::ptsname(controller), O_RDWR | O_NOCTTY);
    if (other < 0) return -1;
    termios raw{};
    ::tcgetattr(other, &raw);
    ::cfmakeraw(&raw);  // the bytes pass unchanged
    ::tcsetattr(other, TCSANOW, &raw);
    const bool written = ::write(other, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(other);
    return written ? controller : -1;
}

TEST_F(TextFileTest, LinesReadBeforeAFailureAreHandedOutThenItIsRaised) {
    const int fd = DescriptorFailingAfter("one\r\ntwo\r\n");
    ASSERT_GE(fd, 0);
    game::TextReader reader(fd);
    ASSERT_FALSE(reader.Eof());
    EXPECT_EQ(reader.ReadLine(), "one");
    EXPECT_EQ(reader.ReadLine(), "two");
    try {
        reader.Eof();
        FAIL() << "expected the read error after the second line";
    } catch (const game::EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "I/O error " + std::to_string(EIO));
    }
}

TEST_F(TextFileTest, OnlyWhatTheLinesAskedForIsRead) {
    // A pipe whose writer stays open never ends; read past what it holds, it fails
    // at once (non-blocking) instead of waiting.
    int fds[2] = {-1, -1};
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    std::string text;
    for (int i = 1; i <= 35; ++i) text += "line " + std::to_string(i) + "\r\n";
    ASSERT_EQ(::write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    {
        game::TextReader reader(fds[0]);
        for (int i = 1; i <= 30; ++i) EXPECT_EQ(reader.ReadLine(), "line " + std::to_string(i));
    }
    ::close(fds[1]);
}

TEST_F(TextFileTest, RewritingKeepsThePermissionsAndWhereALinkPoints) {
    const std::string path = Write("old\r\n");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, mode);
    game::WriteTextFile(path, {"new"});
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    EXPECT_EQ(fs::status(path).permissions(), mode);

    fs::create_directory(dir_ / "shared");
    std::ofstream(dir_ / "shared" / "scores.txt", std::ios::binary) << "old\r\n";
    fs::create_symlink(dir_ / "shared" / "scores.txt", dir_ / "link.txt");
    game::WriteTextFile((dir_ / "link.txt").string(), {"via the link"});
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.txt"));
    EXPECT_EQ(ReadBytes((dir_ / "shared" / "scores.txt").string()), "via the link\r\n");
    EXPECT_EQ(FolderEntries(dir_), (Lines{"file.txt", "link.txt", "shared"}));
    EXPECT_EQ(FolderEntries(dir_ / "shared"), Lines{"scores.txt"});
}

// Writes the lines in a child process that first runs prepare (which may end
// it); the child's wait status: exit 0 when the write succeeded, 2 when it was refused.
int WriteInChild(const std::string& path, const Lines& lines, const std::function<void()>& prepare) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        prepare();
        try {
            game::WriteTextFile(path, lines);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = -1;
    return ::waitpid(child, &status, 0) == child ? status : -1;
}

// The writer is killed before each of its system calls in turn, the pieces of
// the text included: the file is always the old text or the new one, whole.
TEST_F(TextFileTest, AWriterKilledAtAnyStepLeavesTheOldTextOrTheNewOne) {
    const std::string oldText = [] {
        std::string t;
        for (int i = 0; i < 10; ++i) t += std::string(40000, 'o') + "\r\n";
        return t;
    }();
    const Lines newLines(10, std::string(30000, 'n'));
    const std::string newText = [&] {
        std::string t;
        for (const auto& l : newLines) t += l + "\r\n";
        return t;
    }();
    int keptOld = 0, foundNew = 0;
    for (int stop = 1; stop < 100; ++stop) {
        const std::string path = Write(oldText);
        const int status = WriteInChild(path, newLines, [stop] {
            game::SetWriteStepHook([stop, step = 0]() mutable {
                if (++step == stop) ::raise(SIGKILL);
            });
        });
        ASSERT_NE(status, -1);
        const std::string now = ReadBytes(path);
        ASSERT_TRUE(now == oldText || now == newText)
            << "killed before step " << stop << ": " << now.size() << " bytes, expected " << oldText.size() << " or "
            << newText.size();
        if (WIFEXITED(status)) {
            EXPECT_EQ(WEXITSTATUS(status), 0);
            EXPECT_EQ(now, newText);
            EXPECT_EQ(FolderEntries(dir_), Lines{"file.txt"});
            break;
        }
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        (now == oldText ? keptOld : foundNew)++;
        // A killed writer cannot remove its unfinished file; the next test starts clean.
        for (const auto& name : FolderEntries(dir_))
            if (name != "file.txt") fs::remove(dir_ / name);
    }
    EXPECT_GE(keptOld, 8) << "one stop before each of the five pieces, and more";
    EXPECT_GE(foundNew, 1) << "a stop after the new text took the name";
}

constexpr uid_t kNobody = 65534;

template <typename Fn>
std::string MessageOf(Fn&& fn) {
    try {
        fn();
    } catch (const game::EInOutError& e) {
        return e.what();
    }
    return "no error";
}

// Makes the child an ordinary player: the user nobody, in the extra groups
// given, when the test runs as root. Exits 3 when no ordinary user can reach the file.
void BecomePlayer(const std::string& path, const std::vector<gid_t>& groups = {}) {
    if (::geteuid() == 0 &&
        (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        ::_exit(3);
    if (::access(path.c_str(), W_OK) != 0) ::_exit(3);
}

// Writes as an ordinary player in a child process. 0 when the write succeeded,
// 2 when it was refused, 3 when no ordinary user can reach the file.
int WriteAsPlayer(const std::string& path, const Lines& lines, const std::vector<gid_t>& groups = {}) {
    const int status = WriteInChild(path, lines, [&] { BecomePlayer(path, groups); });
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string TextOf(const Lines& lines) {
    std::string t;
    for (const auto& l : lines) t += l + "\r\n";
    return t;
}

// A folder the player may not add to, holding a file the player may write
// (made so by hand, or shared between players): the file is rewritten in place,
// longer or shorter than it was, and nothing is left beside it.
TEST_F(TextFileTest, InAFolderThatTakesNoNewFileTheFileIsRewrittenInPlace) {
    struct Case {
        const char* what;
        std::string oldText;
        Lines newLines;
        std::string newText;
    };
    const Case cases[] = {
        {"longer", "1      a\r\n", {"900      Ann", "800      Bob"}, "900      Ann\r\n800      Bob\r\n"},
        {"shorter", std::string(5000, 'o') + "\r\n", {"5      x"}, "5      x\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Write(c.oldText);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                  fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
        // Root may add to any folder: the writer is an ordinary user.
        const int status = WriteAsPlayer(path, c.newLines);
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        if (status == 3) GTEST_SKIP() << "no ordinary user can reach " << dir_;
        EXPECT_EQ(status, 0) << "the write was refused";
        EXPECT_EQ(ReadBytes(path), c.newText);
        EXPECT_EQ(FolderEntries(dir_), Lines{"file.txt"});
    }
}

// The file open to all in a folder the player may not add to, so that the
// writer, an ordinary player who first runs prepare, rewrites it in place.
int RewriteAsPlayer(const fs::path& dir, const std::string& path, const Lines& lines,
                    const std::function<void()>& prepare) {
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.c_str(), 0555);
    const int status = WriteInChild(path, lines, [&] {
        BecomePlayer(path);
        prepare();
    });
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    return status;
}

struct InPlaceCase {
    const char* what;
    Lines oldLines, newLines;
};
const InPlaceCase kInPlaceCases[] = {
    {"longer", {"1      a"}, Lines(3, std::string(40000, 'n'))},
    {"shorter", Lines(3, std::string(40000, 'o')), {"900      Ann", "800      Bob"}},
};

// Stopped before each of its system calls in turn, a rewrite in place leaves a
// file that reads as the old lines or the new ones.
TEST_F(TextFileTest, AWriterKilledAtAnyStepOfARewriteInPlaceLeavesTheOldLinesOrTheNewOnes) {
    for (const InPlaceCase& c : kInPlaceCases) {
        SCOPED_TRACE(c.what);
        int stop = 1;
        for (; stop < 50; ++stop) {
            const std::string path = Write(TextOf(c.oldLines));
            const int status = RewriteAsPlayer(dir_, path, c.newLines, [stop] {
                game::SetWriteStepHook([stop, step = 0]() mutable {
                    if (++step == stop) ::raise(SIGKILL);
                });
            });
            if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "no ordinary user can reach " << dir_;
            const Lines now = ReadAll(path);
            ASSERT_TRUE(now == c.oldLines || now == c.newLines)
                << "killed before step " << stop << ": " << now.size() << " lines, expected " << c.oldLines.size()
                << " or " << c.newLines.size();
            if (WIFEXITED(status)) {
                EXPECT_EQ(WEXITSTATUS(status), 0);
                EXPECT_EQ(ReadBytes(path), TextOf(c.newLines));
                break;
            }
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        }
        EXPECT_GE(stop, 5) << "open, room or the old start, write, cut, flush";
        EXPECT_EQ(FolderEntries(dir_), Lines{"file.txt"});
    }
}

// A write cut short, as by a full disk, leaves the old bytes and is reported.
// A size limit ends the write the same way, where the file's blocks run out.
TEST_F(TextFileTest, AFullDiskDuringARewriteInPlaceLeavesTheOldBytes) {
    const struct {
        const char* what;
        Lines oldLines, newLines;
        rlim_t limit;
    } cases[] = {
        {"longer than the room", {"1      a"}, Lines(3, std::string(1000, 'n')), 2000},
        {"shorter, in a file past the limit", Lines(5, std::string(1000, 'o')), Lines(2, std::string(1000, 'n')), 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Write(TextOf(c.oldLines));
        const int status = RewriteAsPlayer(dir_, path, c.newLines, [&] {
            const rlimit limit{c.limit, c.limit};
            if (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(4);
        });
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
        if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "no ordinary user can reach " << dir_;
        EXPECT_EQ(WEXITSTATUS(status), 2) << "the write was not refused";
        const std::string now = ReadBytes(path);
        EXPECT_TRUE(now == TextOf(c.oldLines)) << "expected the old " << TextOf(c.oldLines).size() << " bytes, got "
                                               << now.size() << " beginning " << now.substr(0, 12);
        EXPECT_EQ(FolderEntries(dir_), Lines{"file.txt"});
    }
}

// In a folder other players may write, a link named like the scores may be a
// trap that points at another of the player's files: it is not followed, and
// the file it points at, even an empty one that reads as a table, is kept.
TEST_F(TextFileTest, ALinkInAFolderOthersMayWriteIsRefusedAndItsTargetKept) {
    const struct {
        const char* what;
        mode_t folderMode;
        std::string target;
    } cases[] = {
        {"open to all", 0777, ""},
        {"sticky", 01777, "500      Cy\r\n"},
        {"open to the group", 0775, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path shared = dir_ / "shared";
        fs::create_directory(shared);
        ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
        const std::string target = Write(c.target);
        fs::create_symlink(target, shared / "scores.txt");
        EXPECT_EQ(MessageOf([&] { game::WriteTextFile((shared / "scores.txt").string(), {"900      Ann"}); }),
                  "File access denied");
        EXPECT_EQ(ReadBytes(target), c.target);
        EXPECT_TRUE(fs::is_symlink(shared / "scores.txt"));
        EXPECT_EQ(FolderEntries(shared), Lines{"scores.txt"});
        fs::remove_all(shared);
    }
}

// Folders that several players share. In one with the sticky bit (as /tmp)
// only a file's owner may replace it, and in an open one a replacement would
// belong to the writer, so the group that shared the file would lose it. The
// score is saved all the same, and the file stays whose it was.
TEST_F(TextFileTest, InAFolderPlayersShareTheFileIsSavedAndStaysWhoseItWas) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another player";
    constexpr uid_t kOther = 1;
    struct Case {
        const char* what;
        mode_t folderMode;
        uid_t owner;
        gid_t group;
        mode_t fileMode;
        std::vector<gid_t> playerGroups;
    };
    const Case cases[] = {
        {"sticky folder, another player's file open to all", 01777, kOther, kOther, 0666, {}},
        {"open folder, another player's file open to their group", 0777, kOther, kOther, 0664, {kOther}},
        {"open folder, the player's own file in a group of theirs", 0777, kNobody, kOther, 0664, {kOther}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Write(std::string(3000, 'o') + "\r\n");
        ASSERT_EQ(::chown(path.c_str(), c.owner, c.group), 0);
        ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(dir_.c_str(), c.folderMode), 0);
        const int status = WriteAsPlayer(path, {"900      Ann"}, c.playerGroups);
        ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
        if (status == 3) GTEST_SKIP() << "no ordinary user can reach " << dir_;
        EXPECT_EQ(status, 0) << "the write was refused";
        EXPECT_EQ(ReadBytes(path), "900      Ann\r\n");
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, c.owner);
        EXPECT_EQ(st.st_gid, c.group);
        EXPECT_EQ(st.st_mode & 07777, c.fileMode);
        EXPECT_EQ(FolderEntries(dir_), Lines{"file.txt"}) << "nothing left beside the file";
    }
}

TEST_F(TextFileTest, FailuresCarryTheGamesMessages) {
    EXPECT_EQ(MessageOf([&] { game::TextReader r((dir_ / "missing.txt").string()); }), "File not found");
    EXPECT_EQ(MessageOf([&] { game::TextReader r((dir_ / "nofolder" / "x.txt").string()); }), "Invalid filename");
    EXPECT_EQ(MessageOf([&] { game::WriteTextFile((dir_ / "nofolder" / "x.txt").string(), {"a"}); }),
              "Invalid filename");
    EXPECT_EQ(std::string(game::FileError(EACCES).what()), "File access denied");
    EXPECT_EQ(std::string(game::FileError(EROFS).what()), "File access denied");
    if (::geteuid() != 0) {  // permissions do not stop root
        const std::string locked = Write("x");
        fs::permissions(locked, fs::perms::owner_read);
        EXPECT_EQ(MessageOf([&] { game::WriteTextFile(locked, {"a"}); }), "File access denied");
    }
    EXPECT_EQ(game::FileError(EIO).what(), std::string("I/O error ") + std::to_string(EIO));
    EXPECT_EQ(std::string(game::FileError(EMFILE).what()), "Too many open files");
}

// A named pipe. Should a reader wait on it, a writer comes after a few seconds
// and leaves at once, so the reader sees the end and the test fails instead of hanging.
class Pipe {
public:
    explicit Pipe(fs::path path) : path_(std::move(path)) {
        if (::mkfifo(path_.c_str(), 0600) != 0) ADD_FAILURE() << "cannot make the pipe " << path_;
        release_ = std::jthread([this](std::stop_token stop) {
            // From the fiftieth tenth of a second on; a writer's open only succeeds while a reader waits.
            for (int tick = 1; !stop.stop_requested(); ++tick) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                if (tick < 50) continue;
                const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) ::close(fd);
            }
        });
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
    std::jthread release_;
};

// Reading a pipe would wait for a writer that may never come, and a device may
// never end: only a file is read or replaced.
TEST_F(TextFileTest, PipesAndDevicesAreRefusedWithoutBeingReadOrReplaced) {
    Pipe pipe(dir_ / "pipe.txt");
    const fs::path zero = dir_ / "zero.txt";
    fs::create_symlink("/dev/zero", zero);
    for (const fs::path& path : {pipe.Path(), zero}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(MessageOf([&] { ReadAll(path.string()); }), "File access denied");
    }
    EXPECT_EQ(MessageOf([&] { game::WriteTextFile(pipe.Path().string(), {"a"}); }), "File access denied");
    EXPECT_TRUE(fs::is_fifo(pipe.Path()));
}

}  // namespace
