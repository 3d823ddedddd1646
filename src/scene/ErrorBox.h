// The toolkit's own modal message box: a stop icon, the wrapped text and one OK
// button, in a small dialog window of its own. OK, Return, Space, Escape and the
// close box all close it. It is laid out in layout pixels and presented at the
// platform's scale, like the game's window.
#pragma once

#include <memory>
#include <string>

#include "scene/Platform.h"
#include "scene/Types.h"

namespace scene {

class Painter;

class ErrorBox {
public:
    // Opens the dialog window at once; ownerId is the window it belongs to, or 0.
    ErrorBox(Platform& platform, std::string caption, std::string text, int ownerId);
    ~ErrorBox();
    ErrorBox(const ErrorBox&) = delete;
    ErrorBox& operator=(const ErrorBox&) = delete;

    const std::string& Caption() const { return caption_; }
    // Windows-1252 text as given, line breaks included.
    const std::string& Text() const { return text_; }
    int WindowId() const { return window_->Id(); }
    bool Closed() const { return closed_; }
    void Close() { closed_ = true; }

    void HandleInput(const InputEvent& ev);
    bool NeedsRepaint() const { return dirty_; }
    void Repaint();

    // Layout pixels.
    int ClientWidth() const { return width_; }
    int ClientHeight() const { return height_; }
    TRect OkButtonRect() const { return okButton_; }

private:
    void Paint(Painter& painter) const;
    void PaintStopIcon(Painter& painter) const;

    std::string caption_;
    std::string text_;
    std::string shownText_;  // the text with CR LF as LF
    DisplayScale scale_;
    TFont font_;
    int width_ = 0, height_ = 0;
    TRect icon_, textBox_, okButton_;
    bool okDown_ = false;
    bool closed_ = false;
    bool dirty_ = true;
    std::unique_ptr<PlatformWindow> window_;
};

}  // namespace scene
