// The intro and high-score files that come with the game must read back as the
// start screen and the end of a game expect them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/TextFile.h"

namespace {

std::vector<std::string> ShippedLines(const std::string& name) {
    const char* assets = std::getenv("SWOOPY_ASSETS");
    if (!assets) return {};
    game::TextReader reader(std::string(assets) + "/" + name);
    std::vector<std::string> lines;
    while (!reader.Eof()) lines.push_back(reader.ReadLine());
    return lines;
}

TEST(ShippedFilesTest, TheIntroFitsTheThirtyLinesTheStartScreenShows) {
    if (!std::getenv("SWOOPY_ASSETS")) GTEST_SKIP() << "SWOOPY_ASSETS is not set";
    const auto lines = ShippedLines("intro.txt");
    EXPECT_GT(lines.size(), 0u);
    EXPECT_LE(lines.size(), 30u) << "lines after the thirtieth are never shown";
    for (const std::string& line : lines)
        for (unsigned char c : line) EXPECT_GE(c, 0x20) << "a control byte in: " << line;
}

// A stored entry: the score, six spaces, the name; ten of them, best first.
TEST(ShippedFilesTest, TheHighScoresAreTenEntriesBestFirstWithSixSpacesBeforeEachName) {
    if (!std::getenv("SWOOPY_ASSETS")) GTEST_SKIP() << "SWOOPY_ASSETS is not set";
    const auto lines = ShippedLines("scores.txt");
    ASSERT_EQ(lines.size(), 10u) << "an extra line would be read as an eleventh entry";
    long previous = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::size_t digits = line[0] == '-' ? 1 : 0;
        while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
        ASSERT_GT(digits, line[0] == '-' ? 1u : 0u) << "no score in: " << line;
        const long score = std::stol(line.substr(0, digits));
        EXPECT_EQ(line.substr(digits, 6), "      ") << "line " << i + 1 << ": " << line;
        EXPECT_GT(line.size(), digits + 6) << "line " << i + 1 << " has no name";
        if (digits + 6 < line.size()) {
            EXPECT_NE(line[digits + 6], ' ') << "line " << i + 1 << ": " << line;
        }
        if (i > 0) {
            EXPECT_GE(previous, score) << "line " << i + 1 << " is out of order";
        }
        previous = score;
    }
}

}  // namespace
