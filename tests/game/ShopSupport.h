// Whole-game helpers for the shop and the bonus round: a started game, clicks
// that land where the toolkit's own hit test says an element is exposed, and
// runs of the virtual clock to an exact moment.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "game/GameHarness.h"

namespace gametest {

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// Waits on the start screen, types a name, presses Start and lets the loop settle.
inline layout::TForm1& StartGame(GameHarness& game, const std::string& name = "Ann", double waitMs = 0) {
    auto& f = game.Start();
    game.app.RunFor(waitMs);
    game.platform.Click(760, 140);  // the name field
    game.platform.Key('a', scene::kmCtrl);
    game.platform.Type(name);
    game.platform.Click(785, 176);  // Start
    game.app.RunFor(1);
    return f;
}

// The point of e nearest its middle where a click reaches e and nothing above it.
inline std::optional<Point> ExposedPoint(const layout::TForm1& f, const scene::SceneElement& e) {
    const scene::TRect r = e.BoundsRect();
    const int cx = r.Left + r.Width / 2, cy = r.Top + r.Height / 2;
    std::optional<Point> best;
    long bestDistance = 0;
    for (int y = r.Top; y < r.Top + r.Height; ++y)
        for (int x = r.Left; x < r.Left + r.Width; ++x) {
            const long d = long(x - cx) * (x - cx) + long(y - cy) * (y - cy);
            if ((!best || d < bestDistance) && f.HitTest(x, y) == &e) {
                best = Point{x, y};
                bestDistance = d;
            }
        }
    return best;
}

// Clicks e where it is exposed and lets the loop handle the click; returns the point.
inline Point ClickOn(GameHarness& game, const scene::SceneElement& e) {
    const std::optional<Point> p = ExposedPoint(*game.form, e);
    if (!p) {
        ADD_FAILURE() << "expected some exposed point of " << e.Name() << ", got none";
        return {};
    }
    game.platform.Click(p->x, p->y);
    game.app.RunFor(1);
    return *p;
}

inline void RunTo(GameHarness& game, double ms) { game.app.RunFor(ms - game.app.NowMs()); }

}  // namespace gametest
