// The high-score reader on any bytes: the file is either refused with "Invalid
// numeric input" or read into ten places; a table that was read is written back
// so that it reads again with every score in its place, and a second rewrite
// changes nothing. A game's end (a new entry placed, sorted, written) keeps it so.
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzFiles.h"
#include "game/HighScores.h"
#include "game/TextFile.h"

namespace {

bool SameScores(const game::ScoreTable& a, const game::ScoreTable& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].score != b[i].score) return false;
    return true;
}

// Written and read again: the same table, or the first write's fixed point.
void CheckRewrite(const game::ScoreTable& table, const std::string& path) {
    game::WriteScoreTable(path, table);
    game::ScoreTable again;
    try {
        again = game::ReadScoreTable(path);
    } catch (const game::EInOutError& e) {
        fuzz::ScratchFolder::Fail(std::string("a table written by the game cannot be read back: ") + e.what());
    }
    fuzz::Check(SameScores(again, table), "a rewrite changed the scores");
    game::WriteScoreTable(path, again);
    fuzz::Check(game::ReadScoreTable(path) == again, "a second rewrite changed the table");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::ScratchFolder::Get();
    const std::string path = folder.Write("scores.txt", data, size);
    game::ScoreTable table;
    try {
        table = game::ReadScoreTable(path);
    } catch (const game::EInOutError& e) {
        fuzz::Check(std::strcmp(e.what(), "Invalid numeric input") == 0,
                    std::string("an unexpected failure: ") + e.what());
        return 0;
    }
    const std::string copy = folder.Path("rewritten.txt");
    CheckRewrite(table, copy);

    // The end of a game with a middling score and an awkward name.
    game::ScoreTable ended = table;
    game::EnterScore(ended, {static_cast<std::int32_t>(size), std::string(game::kNameIndent) + "&R\xE9ne \x80"});
    game::SortScoresDescending(ended);
    CheckRewrite(ended, copy);
    return 0;
}
