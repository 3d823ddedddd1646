// Whole games, one after another, played by a seeded random player on the
// virtual clock: pointer moves over the playfield, clicks on the shop's offers,
// the bonus pictures and the sound label, until the end screen; then "Exit!".
// Every game must end by its own rules with no error box, leave a high-score
// file that reads back as ten entries, and the process must not grow.
//
// `make test` plays a few games. SWOOPY_SOAK_GAMES=N plays N (`make soak` runs
// thousands under the address and undefined-behaviour sanitizers, whose leak
// check runs at the end); from the hundredth game on, the heap in use between
// games must stay within a megabyte of what it was then. SWOOPY_SOAK_SCALE=F
// plays on a screen of F device pixels a layout pixel (1.5, 2, ...).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "game/GameHarness.h"
#include "game/HighScores.h"
#include "game/Random.h"
#include "scene/HeapInUse.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;
using testheap::HeapInUseMb;

constexpr int kShortGames = 6;
constexpr int kSteadyFrom = 100;          // games before the memory has settled
constexpr double kGrowthAllowedMb = 1.0;  // of the heap in use, from then on
constexpr double kLongestGameMs = 30 * 60 * 1000.0;

int EnvironmentNumber(const char* name, int otherwise) {
    const char* n = std::getenv(name);
    return n != nullptr && std::atoi(n) > 0 ? std::atoi(n) : otherwise;
}

double ResidentMb() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The player acts in layout pixels; the platform takes device pixels.
class RandomPlayer {
public:
    RandomPlayer(GameHarness& game, unsigned seed) : game_(game), f_(*game.form), rng_(seed) {}

    void Start() {
        Click(f_.Edit1.Left() + 5, f_.Edit1.Top() + 5);
        // An empty name is typed and taken back: Start waits for a change of the field.
        game_.platform.Type(Pick({"Ann", "&Bob", "Ren\xC3\xA9", "x", "Zo\xC3\xAB && Co"}));
        if (Uniform(0, 4) == 0) game_.platform.Key(scene::kBackspace);
        ClickMiddle(f_.Button1);
        game_.app.RunFor(0);
    }

    // One move of the player, then some virtual time.
    void Act() {
        const int roll = Uniform(0, 99);
        if (roll < 35) {
            MoveOntoOneOf({&f_.Zvierkant1, &f_.zvierkant2, &f_.zvierkant3, &f_.zvierkant4, &f_.zround1});
        } else if (roll < 70) {
            Move(Uniform(0, 887), Uniform(0, 511));
        } else if (roll < 82) {
            // The bonus offer is the one a player saves up for.
            if (f_.Label4.Visible() && Uniform(0, 1) == 0)
                ClickOneOf({&f_.Label4});
            else if (Uniform(0, 2) == 0)
                ClickOneOf({&f_.Label2, &f_.Label3, &f_.Label4, &f_.Label5});
        } else if (roll < 94) {
            ClickOneOf({&f_.BONUS1, &f_.Bonus2, &f_.Bonus3, &f_.Bonus4, &f_.Bonus5});
        } else if (roll < 97) {
            ClickOneOf({&f_.Label6});
        } else {
            Move(Uniform(886, 1108), Uniform(0, 606));
        }
        game_.app.RunFor(Uniform(5, 250));
    }

    void ClickMiddle(const scene::SceneElement& e) { Click(Middle(e).first, Middle(e).second); }

private:
    static std::pair<int, int> Middle(const scene::SceneElement& e) {
        return {e.Left() + e.Width() / 2, e.Top() + e.Height() / 2};
    }
    void Move(int x, int y) { game_.platform.MouseMove(game_.platform.DevicePoint(x), game_.platform.DevicePoint(y)); }
    void Click(int x, int y) { game_.platform.Click(game_.platform.DevicePoint(x), game_.platform.DevicePoint(y)); }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::string Pick(std::vector<std::string> v) {
        return v[static_cast<std::size_t>(Uniform(0, static_cast<int>(v.size()) - 1))];
    }

    // After coins: onto a shown black square or the circle, where it is now.
    void MoveOntoOneOf(std::vector<scene::SceneElement*> elements) {
        std::erase_if(elements, [](const scene::SceneElement* e) { return !e->Visible(); });
        if (elements.empty()) return;
        const auto [x, y] =
            Middle(*elements[static_cast<std::size_t>(Uniform(0, static_cast<int>(elements.size()) - 1))]);
        Move(std::clamp(x, 0, 887), std::clamp(y, 0, 511));
    }

    // Clicks a shown one, if any is shown; a quick second click now and then.
    void ClickOneOf(std::vector<scene::SceneElement*> elements) {
        std::erase_if(elements, [](const scene::SceneElement* e) { return !e->Visible(); });
        if (elements.empty()) return;
        const auto [x, y] =
            Middle(*elements[static_cast<std::size_t>(Uniform(0, static_cast<int>(elements.size()) - 1))]);
        Click(x, y);
        if (Uniform(0, 9) == 0) {
            game_.platform.ScriptAfter(Uniform(20, 400));
            Click(x, y);
        }
    }

    GameHarness& game_;
    layout::TForm1& f_;
    std::mt19937 rng_;
};

TEST(SoakTest, WholeGamesEndByTheirRulesAndNeitherFilesNorMemoryWear) {
    const int games = EnvironmentNumber("SWOOPY_SOAK_GAMES", kShortGames);
    // Each game's player is seeded with its number: SWOOPY_SOAK_FIRST=N replays from game N.
    const int first = EnvironmentNumber("SWOOPY_SOAK_FIRST", 1);
    const char* factor = std::getenv("SWOOPY_SOAK_SCALE");
    const scene::DisplayScale scale = scene::DisplayScale::FromFactor(factor ? std::atof(factor) : 1.0);
    PlayFolder folder;
    double settledMb = 0, largestAfterMb = 0, largestResidentMb = 0;
    int byTime = 0, bonusRounds = 0;
    double virtualMs = 0;
    // The game's own reseeds come from a generator seeded for each game, so a
    // game plays the same whenever it is played again.
    std::mt19937 reseeds;
    game::SetPerformanceCounter([&reseeds] { return (std::uint64_t{reseeds()} << 32) | reseeds(); });
    struct CounterBack {
        ~CounterBack() { game::SetPerformanceCounter({}); }
    } counterBack;
    for (int g = first; g < first + games; ++g) {
        SCOPED_TRACE("game " + std::to_string(g));
        {
            reseeds.seed(static_cast<unsigned>(g) * 7919u);
            GameHarness game(scale);
            auto& f = game.Start();
            RandomPlayer player(game, static_cast<unsigned>(g));
            player.Start();
            const double start = game.app.NowMs(), end = start + kLongestGameMs;
            bool inBonus = false;
            while (!f.tryagain.Visible() && game.app.NowMs() < end) {
                player.Act();
                if (f.Timer5.Enabled() && !inBonus) ++bonusRounds;
                inBonus = f.Timer5.Enabled();
            }
            virtualMs += game.app.NowMs() - start;
            byTime += f.State.lives >= 0;
            ASSERT_TRUE(f.tryagain.Visible()) << "expected the end screen within half an hour of play";
            ASSERT_TRUE(game.app.ShownBoxes().empty())
                << "expected no error box, got \"" << game.app.ShownBoxes().front().text << "\"";
            EXPECT_TRUE(f.State.lives < 0 || f.State.timeLeft < 0) << "the game ended by its rules";
            ASSERT_EQ(f.Scoreseind.Lines().size(), 10u);
            // The player stops: what it had scripted after the end is dropped, and
            // "Exit!" is pressed once a double-click time has passed.
            game.platform.DropPendingEvents();
            game.platform.ScriptAt(game.app.NowMs() + scene::Form::kDoubleClickMs + 100);
            player.ClickMiddle(f.closeall);
            game.app.RunFor(scene::Form::kDoubleClickMs + 200);
            ASSERT_TRUE(game.app.Terminated()) << "\"Exit!\" ends the program";
        }
        const game::ScoreTable table = game::ReadScoreTable(game::kScoresFile);
        EXPECT_TRUE(
            std::is_sorted(table.begin(), table.end(), [](const auto& a, const auto& b) { return a.score > b.score; }));
        const int played = g - first + 1;
        if (played == kSteadyFrom) settledMb = HeapInUseMb();
        if (played > kSteadyFrom) largestAfterMb = std::max(largestAfterMb, HeapInUseMb());
        largestResidentMb = std::max(largestResidentMb, ResidentMb());
    }
    std::printf("soak: %d games at scale %.2f over %.0f s of play, %d ended by time, %d bonus rounds\n", games,
                scale.Factor(), virtualMs / 1000, byTime, bonusRounds);
    if (games > kSteadyFrom) {
        EXPECT_LE(largestAfterMb, settledMb + kGrowthAllowedMb)
            << "expected the heap in use to stay near " << settledMb << " MB from the game " << kSteadyFrom
            << " on, got " << largestAfterMb << " MB";
        std::printf(
            "soak: %.1f MB of heap in use between games at game %d, at most %.1f MB after; "
            "at most %.1f MB resident\n",
            settledMb, kSteadyFrom, largestAfterMb, largestResidentMb);
    }
}

}  // namespace
