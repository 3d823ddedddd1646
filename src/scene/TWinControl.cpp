#include "scene/TWinControl.h"

#include <utility>

#include "scene/Form.h"

namespace scene {

TWinControl::TWinControl(Form& owner, std::string name, int defaultWidth, int defaultHeight)
    : SceneElement(owner, std::move(name), defaultWidth, defaultHeight, ElementFamily::Windowed) {
    owner.Register(*this);
}

TWinControl::~TWinControl() {
    Invalidate();
    Owner().Unregister(*this);
}

bool TWinControl::Focused() const { return Owner().FocusedControl() == this; }

bool TWinControl::CanFocus() const { return Visible() && Enabled() && Owner().Showing(); }

bool TWinControl::KeyDown(int key, unsigned mods) {
    (void)key;
    (void)mods;
    return false;
}

}  // namespace scene
