#include "game/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Waits (bounded, for as long as a busy machine may take) for the detached process to finish its report.
std::string WaitForFile(const fs::path& path) {
    for (int i = 0; i < 3000; ++i) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        if (s.str().find("done") != std::string::npos) return s.str();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

TEST(ProcessTest, StartsAnIndependentCopyInTheSameFolderWithoutOurFiles) {
    const fs::path dir = fs::temp_directory_path() / ("swoopy-process-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path script = dir / "report.sh";
    std::ofstream(script) << "#!/bin/sh\n"
                             "exec 1>report.txt\n"
                             "pwd\n"
                             "echo \"arguments [$*]\"\n"
                             "echo parent $PPID\n"
                             "for fd in /proc/self/fd/*; do readlink $fd; done\n"
                             "echo done\n";
    fs::permissions(script, fs::perms::owner_all);
    // A file of ours left open without close-on-exec must not reach the new process.
    std::ofstream(dir / "leak.marker") << "x";
    const int leaked = ::open((dir / "leak.marker").c_str(), O_RDONLY);
    ASSERT_GE(leaked, 0);

    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const bool started = game::StartDetached(script.string(), {"--fullscreen"});
    fs::current_path(before);
    ::close(leaked);

    ASSERT_TRUE(started);
    const std::string report = WaitForFile(dir / "report.txt");
    ASSERT_FALSE(report.empty()) << "the new process never wrote its report";
    EXPECT_EQ(report.substr(0, report.find('\n')), dir.string()) << report;
    EXPECT_NE(report.find("\narguments [--fullscreen]\n"), std::string::npos) << report;
    EXPECT_EQ(report.find("parent " + std::to_string(::getpid()) + "\n"), std::string::npos)
        << "the new process should not be our child:\n"
        << report;
    EXPECT_EQ(report.find("leak.marker"), std::string::npos) << "our open file was inherited:\n" << report;
    fs::remove_all(dir);
}

TEST(ProcessTest, ReportsAProgramThatCannotStart) { EXPECT_FALSE(game::StartDetached("/nonexistent/swoopy")); }

TEST(ProcessTest, KnowsTheRunningProgramFile) {
    const std::string path = game::RunningProgramPath();
    EXPECT_TRUE(fs::path(path).is_absolute()) << path;
    EXPECT_EQ(fs::path(path).filename(), "game_tests");
}

}  // namespace
