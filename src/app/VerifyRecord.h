// Checking a record: the game played again from it on the headless platform,
// as fast as it goes, without a window on screen or a sound device, through
// the game's own handlers; the record holds when the game reaches its end
// screen with the score and name the record claims.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace app {

struct Verdict {
    bool holds = false;
    std::int32_t score = 0;
    std::string name;
    std::string reason;  // why it does not hold
};

// The record's bytes. Needs the game's sound files in the working folder.
Verdict VerifyRecord(const std::string& bytes);

// `swoopy --verify`: a line on out for each record that holds, a line on err
// for each that does not; 0 when all hold, else 1. Relative paths are taken
// from folder and shown as given.
int VerifyFiles(const std::vector<std::string>& paths, const std::string& folder, std::ostream& out, std::ostream& err);

}  // namespace app
