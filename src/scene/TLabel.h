// A line (or lines) of text, transparent or on its own colour, optionally sizing
// itself to the text.
#pragma once

#include "scene/Painter.h"
#include "scene/SceneElement.h"

namespace scene {

class TLabel : public SceneElement {
public:
    TLabel(Form& owner, std::string name = {});

    bool IsWindowed() const override { return false; }
    void Paint(Painter& painter) override;
    void Loaded() override;

    // Captions hold Windows-1252 bytes.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    // Readies a caption the label is about to show, as it would show it now, so
    // that showing it costs no text work then (see PrepareText).
    void PrepareCaption(const std::string& text) const;

    TAlignment Alignment() const { return options_.alignment; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return options_.layout; }
    void SetLayout(TTextLayout l);
    bool WordWrap() const { return options_.wordWrap; }
    void SetWordWrap(bool w);
    bool ShowAccelChar() const { return options_.showAccelChar; }
    void SetShowAccelChar(bool s);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t);
    TColor Color() const { return color_; }
    void SetColor(TColor c);

protected:
    void FontChanged() override;

private:
    // Takes the measured size of the text when AutoSize is on.
    void AdjustSize();
    // The bounds the label takes for text, and the options it is drawn with.
    TRect BoundsFor(const std::string& text) const;
    TextOptions DrawnOptions() const;
    // Stores a changed option and redraws; the text may need measuring again.
    template <typename T>
    void Change(T& field, T value, bool remeasure);

    std::string caption_;
    TextOptions options_;
    bool autoSize_ = true;
    bool transparent_ = false;
    TColor color_ = clSilver;  // the window's colour, taken when made
};

}  // namespace scene
