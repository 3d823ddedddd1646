// The end of a game: the end tests of the check tick, then the end sequence that
// stops play, enters the score into the high-score file and shows the end screen.
#include <optional>
#include <string>

#include "game/HighScores.h"
#include "layout/TForm1.h"

namespace layout {

void TForm1::CheckEndOfGame() {
    if (State.lives < 0)
        EndSequence(geenlevens);
    else if (State.timeLeft < 0)
        EndSequence(geentijd);
}

// A failure to read or write the file ends this where it arose: the game stays
// stopped, the end screen does not appear and the file keeps its contents.
void TForm1::EndSequence(scene::TLabel& reason) {
    for (scene::TTimer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5}) t->SetEnabled(false);
    SceneElement* const coinsAndOffers[] = {&Label1, &Label2, &Label3, &Label4, &Label5};
    for (SceneElement* e : coinsAndOffers) e->SetVisible(false);

    MediaPlayer1.Play();
    for (TMediaPlayer* p : {&MediaPlayer2, &MediaPlayer3, &MediaPlayer4, &MediaPlayer5}) p->Stop();

    // Until the table is written back, another copy of the game ending now waits.
    std::optional<game::ScoreFileLock> lock;
    if (ScoresUse == ScoreFileUse::ReadWrite) lock.emplace(game::kScoresFile);
    game::ScoreTable table{};
    if (ScoresUse != ScoreFileUse::None) table = game::ReadScoreTable(game::kScoresFile);
    // A replayed game is in the table already, if it made it there.
    if (ScoresUse != ScoreFileUse::ShowOnly) {
        game::EnterScore(table, {State.score, game::kNameIndent + Label6.Caption()});
        game::SortScoresDescending(table);
    }

    Scoreseind.Clear();
    for (const game::ScoreEntry& entry : table) Scoreseind.AddLine(game::ShownLine(entry));
    if (ScoresUse == ScoreFileUse::ReadWrite) game::WriteScoreTable(game::kScoresFile, table);
    lock.reset();

    SceneElement* const endScreen[] = {&Scoreseind, &witeinde, &reason, &eindscore};
    for (SceneElement* e : endScreen) e->SetVisible(true);
    eindscore.SetCaption("Final score:  " + std::to_string(State.score) + " points");

    tryagain.SetVisible(true);
    closeall.SetVisible(true);
    if (OnEndScreen) OnEndScreen();
}

}  // namespace layout
