// The command line: each option, a wrong one, none; what each answer prints and
// returns; and the manual page naming everything --help names.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using app::CommandAction;
using app::CommandLine;
using app::StartScreen;

CommandLine Parsed(std::vector<std::string_view> args) { return app::ParseCommandLine(args); }

CommandLine Refused(const std::string& problem) {
    CommandLine c;
    c.action = CommandAction::Refuse;
    c.problem = problem;
    return c;
}

CommandLine NoFactor(const std::string& factor) {
    return Refused("'" + factor + "' is not a factor for --scale: 1 to 4 in steps of a quarter");
}

CommandLine Scaled(const std::string& factor) {
    CommandLine c;
    c.scale = factor;
    return c;
}

TEST(CommandLineTest, ReadsEachOptionAndRefusesTheRest) {
    CommandLine full;
    full.screen = StartScreen::FullScreen;
    CommandLine scaled;
    scaled.scale = "1.5";
    CommandLine both = full;
    both.scale = "2";
    CommandLine help;
    help.action = CommandAction::Help;
    CommandLine version;
    version.action = CommandAction::Version;
    const struct {
        std::vector<std::string_view> args;
        CommandLine expected;
    } cases[] = {
        {{}, CommandLine{}},
        {{"--fullscreen"}, full},
        {{"--scale", "1.5"}, scaled},
        {{"--scale=1.5"}, scaled},
        {{"--scale", "2", "--fullscreen"}, both},
        {{"--help"}, help},
        {{"--fullscreen", "--help", "--bogus"}, help},
        {{"--version"}, version},
        {{"--bogus"}, Refused("unknown option '--bogus'")},
        {{"-f"}, Refused("unknown option '-f'")},
        {{"scores.txt"}, Refused("unknown option 'scores.txt'")},
        {{"--scale"}, Refused("option '--scale' needs a factor")},
        {{"--scale", "4"}, Scaled("4")},
        {{"--scale=1"}, Scaled("1")},
        {{"--scale", "big"}, NoFactor("big")},
        {{"--scale=-2"}, NoFactor("-2")},
        {{"--scale="}, NoFactor("")},
        {{"--scale", "9"}, NoFactor("9")},
        {{"--scale", "0.5"}, NoFactor("0.5")},
        {{"--scale", "0.75"}, NoFactor("0.75")},
        {{"--scale", "4.25"}, NoFactor("4.25")},
        {{"--scale", "1.3"}, NoFactor("1.3")},
        {{"--scale", "inf"}, NoFactor("inf")},
        {{"--scale", "nan"}, NoFactor("nan")},
    };
    for (const auto& c : cases) {
        std::string line;
        for (std::string_view a : c.args) line += std::string(a) + " ";
        const CommandLine got = Parsed(c.args);
        EXPECT_EQ(got, c.expected) << "for '" << line << "' got action " << static_cast<int>(got.action)
                                   << ", problem '" << got.problem << "', scale '" << got.scale << "'";
    }
}

TEST(CommandLineTest, AnswersOnTheRightStreamWithTheRightCode) {
    const struct {
        std::vector<std::string_view> args;
        std::optional<int> code;
        std::string out, err;
    } cases[] = {
        {{"--help"}, 0, app::UsageText(), ""},
        {{"--version"}, 0, "swoopy 1.0.0\n", ""},
        {{"--bogus"}, 2, "", "swoopy: unknown option '--bogus'\n" + app::UsageText()},
        {{"--scale", "9"}, 2, "", "swoopy: " + NoFactor("9").problem + "\n" + app::UsageText()},
        {{}, std::nullopt, "", ""},
        {{"--fullscreen"}, std::nullopt, "", ""},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        const std::optional<int> code = app::AnswerCommandLine(Parsed(c.args), out, err);
        const std::string what = c.args.empty() ? "no option" : std::string(c.args[0]);
        EXPECT_EQ(code, c.code) << what;
        EXPECT_EQ(out.str(), c.out) << what;
        EXPECT_EQ(err.str(), c.err) << what;
    }
    EXPECT_NE(app::UsageText().find("Usage: swoopy"), std::string::npos);
}

TEST(CommandLineTest, ScaleBecomesTheScaleSetting) {
    unsetenv("SWOOPY_SCALE");
    std::ostringstream out, err;
    EXPECT_EQ(app::AnswerCommandLine(Parsed({}), out, err), std::nullopt);
    EXPECT_EQ(std::getenv("SWOOPY_SCALE"), nullptr) << "no option sets nothing";
    EXPECT_EQ(app::AnswerCommandLine(Parsed({"--scale", "2.25"}), out, err), std::nullopt);
    const char* set = std::getenv("SWOOPY_SCALE");
    EXPECT_EQ(std::string(set ? set : "(unset)"), "2.25");
    unsetenv("SWOOPY_SCALE");
}

// The page's text with roff's font changes and escapes taken out: "\fB\-\-help\fR" reads "--help".
std::string ManualPageText() {
    std::ifstream in(SWOOPY_MANPAGE);
    std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    page = std::regex_replace(page, std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(page, std::regex(R"(\\-)"), "-");
}

TEST(CommandLineTest, TheManualPageNamesEveryOptionAndSettingOfTheHelp) {
    const std::string page = ManualPageText();
    ASSERT_FALSE(page.empty()) << "cannot read " << SWOOPY_MANPAGE;
    const std::string usage = app::UsageText();
    std::set<std::string> names;
    const std::regex name(R"(--[a-z]+|\b[A-Z][A-Z_]{3,}\b)");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), name); it != std::sregex_iterator(); ++it)
        names.insert(it->str());
    for (const char* expected : {"--fullscreen", "--scale", "--help", "--version", "SWOOPY_SCALE", "XDG_DATA_HOME"})
        EXPECT_EQ(names.count(expected), 1u) << "--help names " << expected;
    for (const std::string& n : names) EXPECT_NE(page.find(n), std::string::npos) << "the manual page lacks " << n;
    // Every key of the help's key list, as the first column names it.
    const std::size_t keys = usage.find("Keys:\n");
    ASSERT_NE(keys, std::string::npos) << "--help names the keys";
    const std::regex keyLine(R"(\n  ([^ ].*?)(?:  |\n))");
    int keyCount = 0;
    const std::string keyList = usage.substr(keys, usage.find("\n\n", keys) - keys + 1);
    for (auto it = std::sregex_iterator(keyList.begin(), keyList.end(), keyLine); it != std::sregex_iterator(); ++it) {
        std::istringstream each(it->str(1));
        for (std::string key; std::getline(each >> std::ws, key, ',');) {
            ++keyCount;
            EXPECT_NE(page.find(key), std::string::npos) << "the manual page lacks the key " << key;
        }
    }
    EXPECT_GE(keyCount, 3) << "expected P, Pause and F11 in the help's key list";
    for (const char* section :
         {".SH KEYS", ".SH OPTIONS", ".SH ENVIRONMENT", ".SH FILES", ".SH EXIT STATUS", ".TH SWOOPY 6"})
        EXPECT_NE(page.find(section), std::string::npos) << "the manual page lacks " << section;
}

}  // namespace
