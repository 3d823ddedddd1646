// Keyboard focus: the tab order, Tab and Shift+Tab, Enter and the active
// button, accelerators, and typed text to the focused control.
#include <algorithm>

#include "scene/Form.h"
#include "scene/TButton.h"
#include "scene/TWinControl.h"

namespace scene {

namespace {

bool IsAcceleratorKey(int key) { return (key >= 'a' && key <= 'z') || (key >= '0' && key <= '9'); }

}  // namespace

// Neither means anything else to any control, so they switch whatever has the focus.
bool Form::IsFullScreenKey(int key, unsigned mods) { return key == kF11 || (key == kReturn && mods == kmAlt); }

std::vector<TWinControl*> Form::TabCycle() const {
    std::vector<TWinControl*> cycle;
    for (TWinControl* c : windowed_)
        if (c->TabStop() && c->CanFocus()) cycle.push_back(c);
    std::stable_sort(cycle.begin(), cycle.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    return cycle;
}

void Form::SelectNext(Direction direction) {
    const std::vector<TWinControl*> cycle = TabCycle();
    if (cycle.empty()) return;
    const auto it = std::find(cycle.begin(), cycle.end(), focused_);
    const std::size_t n = cycle.size();
    std::size_t next = 0;
    if (it == cycle.end())
        next = direction == Direction::Forward ? 0 : n - 1;
    else {
        const std::size_t at = static_cast<std::size_t>(it - cycle.begin());
        next = direction == Direction::Forward ? (at + 1) % n : (at + n - 1) % n;
    }
    SetFocus(cycle[next]);
}

void Form::SetFocus(TWinControl* c, FocusCause cause) {
    if (c == focused_ || (c && !c->CanFocus())) return;
    TWinControl* old = focused_;
    focused_ = c;
    const bool typedBefore = old && old->TakesCharacters();
    const bool typedNow = c && c->TakesCharacters();
    if (window_ && typedBefore && !typedNow) window_->StopTextInput();
    if (window_ && typedNow && !typedBefore) window_->StartTextInput();
    if (old) old->FocusOut();
    if (c) c->FocusIn(cause);
    InvalidateDefaultButtons();
}

TButton* Form::ActiveButton() const {
    if (auto* focusedButton = dynamic_cast<TButton*>(focused_)) return focusedButton;
    for (TWinControl* c : windowed_)
        if (auto* b = dynamic_cast<TButton*>(c); b && b->Default()) return b;
    return nullptr;
}

void Form::InvalidateDefaultButtons() {
    for (TWinControl* c : windowed_)
        if (auto* b = dynamic_cast<TButton*>(c); b && b->Default()) b->Invalidate();
}

bool Form::PressAccelerator(int key) {
    if (!IsAcceleratorKey(key)) return false;
    for (TWinControl* c : windowed_) {
        auto* b = dynamic_cast<TButton*>(c);
        if (b && b->AccelChar() == key && b->CanFocus()) {
            b->Press();
            return true;
        }
    }
    return false;
}

void Form::DispatchKey(const InputEvent& ev) {
    if (ev.kind == EventKind::TextInput) {
        if (focused_ && focused_->TakesCharacters()) focused_->TextInput(ev.text);
        return;
    }
    const unsigned mods = ev.mods;
    if (IsFullScreenKey(ev.key, mods)) {
        // A held key switches once, not back and forth with the keyboard's repeat.
        if (ev.repeat) return;
        SetMode(mode_ == WindowMode::FullScreen ? WindowMode::Windowed : WindowMode::FullScreen);
        return;
    }
    const bool ctrlOrAlt = (mods & (kmCtrl | kmAlt | kmAltGr)) != 0;
    if (ev.key == kTab && !ctrlOrAlt) {
        SelectNext((mods & kmShift) ? Direction::Backward : Direction::Forward);
        return;
    }
    if (ev.key == kReturn) {
        if (focused_ && focused_->WantsReturn()) {
            focused_->KeyDown(kReturn, mods);
            return;
        }
        if (mods == 0) {
            if (TButton* b = ActiveButton(); b && b->CanFocus()) b->Press();
            return;
        }
    }
    if ((mods & kmAlt) && !(mods & (kmCtrl | kmAltGr)) && PressAccelerator(ev.key)) return;
    if (focused_ && focused_->KeyDown(ev.key, mods)) return;
    // A letter alone presses its button unless the focused control types it.
    if (!ctrlOrAlt && !(focused_ && focused_->TakesCharacters())) PressAccelerator(ev.key);
}

}  // namespace scene
