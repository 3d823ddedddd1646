#include "game/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

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
}

TEST_F(TextFileTest, WritingEndsEachLineWithCrLfAndReplacesTheFile) {
    const std::string path = Write("old contents that are much longer than the new ones\r\n");
    game::WriteTextFile(path, {"523      Anna", "", "-7      Z\xE9"});
    EXPECT_EQ(ReadBytes(path), "523      Anna\r\n\r\n-7      Z\xE9\r\n");

    const std::string fresh = (dir_ / "new.txt").string();
    game::WriteTextFile(fresh, {"a"});
    EXPECT_EQ(ReadBytes(fresh), "a\r\n");
}

TEST_F(TextFileTest, FailuresCarryTheGamesMessages) {
    auto messageOf = [](auto&& fn) -> std::string {
        try {
            fn();
        } catch (const game::EInOutError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(messageOf([&] { game::TextReader r((dir_ / "missing.txt").string()); }), "File not found");
    EXPECT_EQ(messageOf([&] { game::TextReader r((dir_ / "nofolder" / "x.txt").string()); }), "Invalid filename");
    EXPECT_EQ(messageOf([&] { game::WriteTextFile((dir_ / "nofolder" / "x.txt").string(), {"a"}); }),
              "Invalid filename");
    EXPECT_EQ(std::string(game::FileError(EACCES).what()), "File access denied");
    EXPECT_EQ(std::string(game::FileError(EROFS).what()), "File access denied");
    if (::geteuid() != 0) {  // permissions do not stop root
        const std::string locked = Write("x");
        fs::permissions(locked, fs::perms::owner_read);
        EXPECT_EQ(messageOf([&] { game::WriteTextFile(locked, {"a"}); }), "File access denied");
    }
    EXPECT_EQ(game::FileError(EIO).what(), std::string("I/O error ") + std::to_string(EIO));
    EXPECT_EQ(std::string(game::FileError(EMFILE).what()), "Too many open files");
}

}  // namespace
