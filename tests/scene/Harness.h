// A window on the headless platform for toolkit tests, with an event log that
// elements write into, so a test reads what happened as one line of text.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "scene/Application.h"
#include "scene/Form.h"
#include "scene/Painter.h"
#include "scene/SceneElement.h"
#include "scene/TTimer.h"

namespace scenetest {

// "a.move(3,4) b.click" and so on, in the order things happened.
class EventLog {
public:
    void Add(const std::string& line) { lines_.push_back(line); }
    std::string Text() const {
        std::string all;
        for (const std::string& l : lines_) all += (all.empty() ? "" : " ") + l;
        return all;
    }
    void Clear() { lines_.clear(); }
    std::size_t Size() const { return lines_.size(); }

    // Wires the pointer and click slots of e to the log.
    void Watch(scene::SceneElement& e) {
        const std::string n = e.Name();
        e.OnMouseMove = [this, n](scene::SceneElement&, scene::TShiftState, int x, int y) { At(n, "move", x, y); };
        e.OnMouseDown = [this, n](scene::SceneElement&, scene::TMouseButton b, scene::TShiftState, int x, int y) {
            At(n, b == scene::TMouseButton::mbLeft ? "down" : "rdown", x, y);
        };
        e.OnMouseUp = [this, n](scene::SceneElement&, scene::TMouseButton b, scene::TShiftState, int x, int y) {
            At(n, b == scene::TMouseButton::mbLeft ? "up" : "rup", x, y);
        };
        e.OnClick = [this, n](scene::SceneElement&) { Add(n + ".click"); };
        e.OnDblClick = [this, n](scene::SceneElement&) { Add(n + ".dbl"); };
    }
    // Wires the enter and leave slots of e to the log.
    void WatchHover(scene::SceneElement& e) {
        const std::string n = e.Name();
        e.OnMouseEnter = [this, n](scene::SceneElement&) { Add(n + ".enter"); };
        e.OnMouseLeave = [this, n](scene::SceneElement&) { Add(n + ".leave"); };
    }

private:
    void At(const std::string& n, const char* what, int x, int y) {
        Add(n + "." + what + "(" + std::to_string(x) + "," + std::to_string(y) + ")");
    }
    std::vector<std::string> lines_;
};

// A plain graphic element that fills its rectangle and counts its paints; it
// notes whether its watched point (its own pixels) was ever let through.
class Probe : public scene::SceneElement {
public:
    Probe(scene::Form& owner, std::string name, scene::TRect r, scene::TColor color = scene::clRed)
        : SceneElement(owner, std::move(name), r.Width, r.Height), color_(color) {
        SetBounds(r.Left, r.Top, r.Width, r.Height);
    }
    bool IsWindowed() const override { return false; }
    void Paint(scene::Painter& painter) override {
        ++paints;
        if (painter.Visible(watch)) watchedPainted = true;
        painter.FillRect({0, 0, Width(), Height()}, color_);
    }
    int paints = 0;
    scene::TRect watch{0, 0, 1, 1};
    bool watchedPainted = false;

private:
    scene::TColor color_;
};

// 0x00BBGGRR as the Rgb the headless frame reports.
inline scene::Rgb RgbOf(scene::TColor c) { return scene::ResolveColor(c); }

struct Harness {
    platform::HeadlessPlatform platform;
    scene::Application app{platform, "/opt/games/SWOOPY.EXE"};
    scene::Form form{app, "Form1"};

    Harness() {
        form.ClientWidth = 400;
        form.ClientHeight = 300;
        form.Cursor = scene::TCursor::crHandPoint;
    }
    // Loads, shows and runs the first repaint.
    void Start() {
        form.LoadAll();
        form.Show();
        app.RunFor(0);
    }
    const platform::HeadlessWindowState& Window() const { return platform.Window(form.WindowId()); }
    scene::Rgb Pixel(int x, int y) const { return platform.Pixel(form.WindowId(), x, y); }
};

}  // namespace scenetest
