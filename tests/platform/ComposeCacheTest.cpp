// Where the input method's compiled compose table is kept: a folder of the
// game's own under the player's cache folder, unless the player chose one or
// Xlib would not use it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/sdl/ComposeCache.h"
#include "platform/sdl/SdlPlatform.h"

extern char** environ;

namespace platform_test {
namespace {

TEST(ComposeCache, TheGamesOwnFolderUnlessThePlayerChoseOneOrXlibWouldNotUseIt) {
    const struct {
        const char* xcomposecache;
        const char* xdg;
        const char* home;
        bool homeCacheExists;
        bool root;
        std::string expected;
    } cases[] = {
        {nullptr, nullptr, "/home/ann", false, false, "/home/ann/.cache/swoopy/compose"},
        {nullptr, "/var/tmp/ann", "/home/ann", false, false, "/var/tmp/ann/swoopy/compose"},
        {nullptr, "cache", "/home/ann", false, false, "/home/ann/.cache/swoopy/compose"},  // relative: ignored
        {nullptr, "", "/home/ann", false, false, "/home/ann/.cache/swoopy/compose"},
        {"/srv/compose", "/var/tmp/ann", "/home/ann", false, false, ""},  // the player's choice
        {"", nullptr, "/home/ann", false, false, ""},
        {nullptr, nullptr, "/home/ann", true, false, ""},  // ~/.compose-cache
        {nullptr, nullptr, "/root", false, true, ""},      // Xlib keeps none for root
        {nullptr, nullptr, nullptr, false, false, ""},
        {nullptr, nullptr, "home", false, false, ""},
        {nullptr, "/var/tmp/ann", nullptr, false, false, "/var/tmp/ann/swoopy/compose"},
    };
    for (const auto& c : cases) {
        platform::ComposeCacheSources sources;
        sources.xcomposecache = c.xcomposecache;
        sources.xdgCacheHome = c.xdg;
        sources.home = c.home;
        sources.homeComposeCacheExists = c.homeCacheExists;
        sources.root = c.root;
        EXPECT_EQ(platform::ComposeCacheFolder(sources), c.expected)
            << "XCOMPOSECACHE " << (c.xcomposecache ? c.xcomposecache : "unset") << ", XDG_CACHE_HOME "
            << (c.xdg ? c.xdg : "unset") << ", HOME " << (c.home ? c.home : "unset") << ", ~/.compose-cache "
            << c.homeCacheExists << ", root " << c.root;
    }
}

TEST(ComposeCache, MissingFoldersAreMadePrivateAndOnlyAPrivateFolderIsTaken) {
    char tmpl[] = "/tmp/compose-cache-test.XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string root = tmpl;

    const std::string folder = root + "/cache/swoopy/compose";
    ASSERT_TRUE(platform::MakePrivateFolder(folder));
    for (const std::string& made : {root + "/cache", root + "/cache/swoopy", folder}) {
        struct stat st {};
        ASSERT_EQ(::stat(made.c_str(), &st), 0) << made;
        EXPECT_TRUE(S_ISDIR(st.st_mode)) << made;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
    }
    EXPECT_TRUE(platform::MakePrivateFolder(folder)) << "a folder already there";
    EXPECT_TRUE(platform::MakePrivateFolder(folder + "/")) << "a trailing slash";
    ASSERT_EQ(::chmod(folder.c_str(), 0775), 0);
    EXPECT_FALSE(platform::MakePrivateFolder(folder)) << "a folder others may write to";

    std::ofstream(root + "/file") << "not a folder";
    EXPECT_FALSE(platform::MakePrivateFolder(root + "/file"));
    EXPECT_FALSE(platform::MakePrivateFolder(root + "/file/compose"));
    EXPECT_FALSE(platform::MakePrivateFolder(""));

    ASSERT_EQ(std::system(("rm -rf '" + root + "'").c_str()), 0);
}

std::vector<std::string> Environment() {
    std::vector<std::string> all;
    for (char** e = environ; *e != nullptr; ++e) all.emplace_back(*e);
    return all;
}

// Sets name to value (unset for nullopt) for the test's scope.
class EnvValue {
public:
    EnvValue(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~EnvValue() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvValue(const EnvValue&) = delete;
    EnvValue& operator=(const EnvValue&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Other threads read the environment while the platform is made (fontconfig
// on the text thread): only the preparation main makes first may change it.
TEST(ComposeCache, TheEnvironmentIsSetByThePreparationAloneNotByMakingThePlatform) {
    char tmpl[] = "/tmp/compose-cache-home.XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string home = tmpl;
    const EnvValue video("SDL_VIDEODRIVER", "dummy"), audio("SDL_AUDIODRIVER", "dummy"), homeValue("HOME", home),
        xdg("XDG_CACHE_HOME", std::nullopt), chosen("XCOMPOSECACHE", std::nullopt);

    const std::vector<std::string> before = Environment();
    platform::CreateSdlPlatform().reset();
    EXPECT_EQ(Environment(), before) << "expected making the platform to leave the environment alone";

    platform::PrepareSdlEnvironment();
    const char* folder = std::getenv("XCOMPOSECACHE");
    if (::geteuid() == 0)
        EXPECT_EQ(folder, nullptr) << "Xlib keeps no compiled table for root";
    else
        EXPECT_EQ(std::string(folder ? folder : "unset"), home + "/.cache/swoopy/compose");
    ASSERT_EQ(std::system(("rm -rf '" + home + "'").c_str()), 0);
}

}  // namespace
}  // namespace platform_test
