// Value types shared by every part of the toolkit: colours, rectangles, fonts,
// pointer shapes and the enumerations of the element kinds.
#pragma once

#include <cstdint>
#include <string>

namespace scene {

// 0x00BBGGRR; 0xFF0000nn is system colour nn, looked up when drawing.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clGreen = 0x008000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clFuchsia = 0xFF00FF;

constexpr TColor clWindow = 0xFF000005;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clBtnShadow = 0xFF000010;
constexpr TColor clBtnHighlight = 0xFF000014;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Plain colours convert directly; system colours take this desktop's values.
// Inline: every shape drawn and every element composed asks for its colours.
inline Rgb ResolveColor(TColor color) {
    if ((color & 0xFF000000u) == 0xFF000000u) {
        // The desktop colours of a default light theme.
        switch (color & 0xFFu) {
            case 5: return {0xFF, 0xFF, 0xFF};   // window background
            case 15: return {0xF0, 0xF0, 0xF0};  // button face
            case 16: return {0xA0, 0xA0, 0xA0};  // button shadow
            case 20: return {0xFF, 0xFF, 0xFF};  // button highlight
            default: return {0x00, 0x00, 0x00};  // window text (8) and the rest
        }
    }
    return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
            static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

// x in [Left, Left + Width), y in [Top, Top + Height). The values are stored as
// given, so the far edges may lie beyond the int range: they are 64-bit.
struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;

    std::int64_t Right() const { return std::int64_t{Left} + Width; }
    std::int64_t Bottom() const { return std::int64_t{Top} + Height; }
    bool Empty() const { return Width <= 0 || Height <= 0; }
    bool Contains(int x, int y) const { return x >= Left && x < Right() && y >= Top && y < Bottom(); }
    // Inline: composing intersects every element with every marked rectangle.
    TRect Intersect(const TRect& o) const {
        const int left = Left > o.Left ? Left : o.Left;
        const int top = Top > o.Top ? Top : o.Top;
        const std::int64_t right = Right() < o.Right() ? Right() : o.Right();
        const std::int64_t bottom = Bottom() < o.Bottom() ? Bottom() : o.Bottom();
        if (right <= left || bottom <= top) return {};
        // No wider than either rectangle, so within range.
        return {left, top, static_cast<int>(right - left), static_cast<int>(bottom - top)};
    }
    TRect Union(const TRect& o) const;
    bool operator==(const TRect&) const = default;
};

enum class TCursor { crDefault, crArrow, crHandPoint, crIBeam, crCross };

enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

enum TFontCharset : int { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, GREEK_CHARSET = 161 };

// Height < 0: character height in pixels without internal leading; > 0: cell height.
struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = -11;
    unsigned Style = 0;
    TColor Color = clWindowText;
    int Charset = DEFAULT_CHARSET;
    bool operator==(const TFont&) const = default;
};

enum class TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// How a control got the keyboard focus: a press on it places its caret itself;
// any other way (Tab, the window's first focus, the program) counts as the keyboard.
enum class FocusCause { Keyboard, Pointer };

enum ShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = unsigned;

}  // namespace scene
