// Every counter and switch of one game. One instance lives as long as the window.
#pragma once

#include <cstdint>

namespace game {

struct GameState {
    std::int32_t money = 0;
    std::int32_t hits = 0;
    std::int32_t score = 0;
    std::int32_t soundSwitch = 0;
    std::int32_t timeLeft = 0;
    std::int32_t redDelay = 0;  // never set by the create handler: 0 from the start
    std::int32_t bonusCountdown = 0;
    std::int32_t lives = 0;
    std::uint8_t musicLoop = 0;
    std::uint8_t bonusMusicLoop = 0;  // never set by the create handler: 0 from the start
};

}  // namespace game
