// What the work done ahead of the first frame (TForm1Ahead.cpp) reads of the
// layout table in TForm1.cpp.
#pragma once

#include <memory>
#include <vector>

#include "scene/Picture.h"
#include "scene/Types.h"

namespace layout {

// The layout's pictures, made once for the program: every window of the layout
// shows the same pixels, decoded once, and they can be decoded before any
// window exists.
std::shared_ptr<scene::Picture> LayoutPicture(const char* name);

// Every caption the window's load measures in its font, and whether its element
// is shown at first. An empty caption of a fixed size is neither measured nor
// drawn until it changes.
struct LayoutCaption {
    const char* text;
    scene::TFont font;
    scene::TAlignment alignment;
    bool shown;
};
std::vector<LayoutCaption> LayoutCaptions();

// Each font of the layout's labels, panels, buttons and field once.
std::vector<scene::TFont> LayoutFonts();

// The pictures shown at first, with their elements' bounds; each is stretched to them.
struct LayoutPictureBox {
    const char* name;
    scene::TRect bounds;
};
std::vector<LayoutPictureBox> ShownLayoutPictures();

}  // namespace layout
