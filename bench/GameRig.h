// The game's own window, layout and handlers, made on the given platform as the
// program makes them, with its files read from the assets; a benchmark's rig
// derives from it and starts the game as the player does.
#pragma once

#include <unistd.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "layout/TForm1.h"
#include "scene/Application.h"
#include "sound/SoundService.h"

class GameRig {
public:
    explicit GameRig(std::unique_ptr<scene::Platform> platform) : platform_(std::move(platform)) {
        if (chdir(SWOOPY_ASSETS_DIR) != 0) throw std::runtime_error("cannot enter " SWOOPY_ASSETS_DIR);
        form_ = std::make_unique<layout::TForm1>(app_, sounds_);
        form_->LoadAll();
        form_->OnCreate(*form_);
        app_.SetMainForm(form_.get());
        form_->Show();
    }

protected:
    // Start pressed, then the clock and the three fast timers stopped: the
    // benchmark ticks what it times itself.
    void StartWithTimersStopped() {
        form_->Button1Click(form_->Button1);
        for (scene::TTimer* t : {&form_->Timer1, &form_->Timer2, &form_->Timer3, &form_->Timer4}) t->SetEnabled(false);
    }

    std::unique_ptr<scene::Platform> platform_;
    scene::Application app_{*platform_, "/opt/games/swoopy"};
    sound::SoundService sounds_{*platform_, [this](std::function<void()> fn) { app_.Post(std::move(fn)); }};
    std::unique_ptr<layout::TForm1> form_;
};
