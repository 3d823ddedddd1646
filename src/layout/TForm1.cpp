#include "layout/TForm1.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/HighScores.h"
#include "layout/LayoutRows.h"
#include "layout/Pictures.h"
#include "scene/Application.h"
#include "scene/Picture.h"
#include "sound/SoundService.h"

namespace layout {

using namespace scene;

namespace {

constexpr bool kShown = true;
constexpr bool kHidden = false;

// The window: its caption, outer corner and client size.
constexpr const char* kCaption = "Swoopy!";
constexpr int kWindowLeft = 192, kWindowTop = 112;
constexpr int kClientWidth = 1109, kClientHeight = 607;

std::vector<std::uint32_t> LayoutIcon() {
    std::vector<std::uint32_t> argb(32 * 32);
    for (int i = 0; i < 32 * 32; ++i) argb[i] = kIconMask[i] ? 0u : 0xFF000000u | kIconPalette[kIconIndices[i] & 15];
    return argb;
}

// Bounds and visibility of every element, in creation order.
struct ElementRow {
    const char* name;
    int left, top, width, height;
    bool visible;
};
constexpr ElementRow kElements[] = {
    // clang-format off
    {"Zvierkant1",   -80,  192,   65,  65, kShown},
    {"zvierkant2",   216,  -80,   65,  65, kShown},
    {"zvierkant3",   528,  532,   41,  41, kShown},
    {"zvierkant4",   939,  400,   65,  65, kShown},
    {"Rvierkant1",   923,   72,   49,  49, kShown},
    {"rvierkant2",   -80,  120,   33,  33, kShown},
    {"rvierkant3",   552,  -80,   49,  49, kShown},
    {"rvierkant4",   224,  548,   65,  65, kShown},
    {"MenuRechts",   885,    0,  233, 513, kShown},
    {"Label2",       944,  152,  113,  29, kShown},
    {"Label3",       936,  240,  133,  29, kShown},
    {"Label4",       944,  320,  115,  29, kShown},
    {"Label5",       936,  400,  128,  29, kShown},
    {"Label6",       952,  460,  105,  18, kShown},
    {"BONUSgehaald", 320,  224,  255,  29, kHidden},
    {"NOBONUS",      344,  256,  124,  29, kHidden},
    {"zround1",      400, -120,   60,  60, kShown},
    {"Livesbar",     296,    0,  305,  73, kShown},
    {"Image5",       -10,  506, 1121, 105, kShown},
    {"FINALSCORE",    64,  536,  385,  49, kShown},
    {"Label1",       712,  536,   10,  40, kShown},
    {"Label7",       520,  536,  177,  40, kShown},
    {"BONUSgray",      0,    0,  889, 513, kHidden},
    {"BONUS1",        88,   72,  145, 145, kHidden},
    {"Bonus2",       704,  256,  113, 113, kHidden},
    {"Bonus3",       184,  328,  105, 105, kHidden},
    {"Bonus4",       480,   56,   89,  89, kHidden},
    {"Bonus5",       728,   32,   65,  65, kHidden},
    {"Label8",       352,  440,  151,  61, kHidden},
    {"Lives",        336,   24,  225,  33, kShown},
    {"witeinde",       0,    0,  889, 513, kHidden},
    {"geenlevens",   328,   64,  237,  29, kHidden},
    {"geentijd",     328,   96,  230,  29, kHidden},
    {"eindscore",    264,  144,  377,  65, kHidden},
    {"Finale",       272,   24,  353, 473, kShown},
    {"MediaPlayer1", 584,  624,  253,  30, kShown},
    {"MediaPlayer2", 584,  664,  253,  30, kShown},
    {"MediaPlayer3", 856,  624,  253,  30, kShown},
    {"MediaPlayer4", 856,  664,  253,  30, kShown},
    {"MediaPlayer5", 864,  704,  253,  30, kShown},
    {"Memo1",          0,   -6,  889, 519, kShown},
    {"Button1",      736,  160,   99,  33, kShown},
    {"Edit1",        712,  128,  137,  26, kShown},
    {"tryagain",     312,  448,  113,  41, kHidden},
    {"closeall",     440,  448,  113,  41, kHidden},
    {"MediaPlayer6", 200,  672,  253,  30, kShown},
    {"Scoreseind",   264,  184,  353, 233, kHidden},
    // clang-format on
};

struct ShapeRow {
    const char* name;
    TShapeType shape;
    TColor brush;
};
constexpr ShapeRow kShapes[] = {
    // clang-format off
    {"Zvierkant1", TShapeType::stRoundRect,   clBlack},
    {"zvierkant2", TShapeType::stRoundRect,   clBlack},
    {"zvierkant3", TShapeType::stRoundSquare, clBlack},
    {"zvierkant4", TShapeType::stRoundSquare, clBlack},
    {"Rvierkant1", TShapeType::stRoundRect,   clRed},
    {"rvierkant2", TShapeType::stRoundRect,   clRed},
    {"rvierkant3", TShapeType::stRoundRect,   clRed},
    {"rvierkant4", TShapeType::stRoundRect,   clRed},
    {"zround1",    TShapeType::stCircle,      clLime},
    {"BONUSgray",  TShapeType::stRectangle,   clSilver},
    {"witeinde",   TShapeType::stRectangle,   clWhite},
    // clang-format on
};

constexpr unsigned kBold = fsBold;
constexpr unsigned kBoldUnderline = fsBold | fsUnderline;
constexpr bool kAutoSize = true;
constexpr bool kFixedSize = false;
using enum TAlignment;

// Every label is transparent, unwrapped, top-aligned, in "Trebuchet MS".
struct LabelRow {
    const char* name;
    const char* caption;
    int fontHeight;
    unsigned style;
    TColor color;
    TAlignment alignment;
    bool autoSize;
    int charset;
};
constexpr LabelRow kLabels[] = {
    // clang-format off
    {"Label2",       "Time 30 $",            -24, kBoldUnderline, clWhite,      taLeftJustify, kAutoSize,  GREEK_CHARSET},
    {"Label3",       "No-red 20 $",          -24, kBoldUnderline, clWhite,      taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"Label4",       "Bonus 50$",            -24, kBoldUnderline, clWhite,      taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"Label5",       "+1 life 80 $",         -24, kBoldUnderline, clWhite,      taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"Label6",       "Sound",                -13, kBold,          clWhite,      taCenter,      kFixedSize, ANSI_CHARSET},
    {"BONUSgehaald", "BONUS gehaald +1000!", -24, kBold,          clWindowText, taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"NOBONUS",      "NO BONUS!",            -24, kBold,          clWindowText, taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"FINALSCORE",   "",                     -37, kBold,          clWindowText, taLeftJustify, kFixedSize, ANSI_CHARSET},
    {"Label1",       "",                     -32, kBold,          clWindowText, taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"Label7",       "",                     -32, kBold,          clWindowText, taLeftJustify, kFixedSize, ANSI_CHARSET},
    {"Label8",       "Label8",               -48, kBoldUnderline, clBlack,      taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"Lives",        "",                     -27, kBold,          clWindowText, taCenter,      kFixedSize, ANSI_CHARSET},
    {"geenlevens",   "You hit a red square!", -24, kBold,         clWindowText, taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"geentijd",     "You ran out of time!", -24, kBold,          clWindowText, taLeftJustify, kAutoSize,  ANSI_CHARSET},
    {"eindscore",    "",                     -29, kBold,          clWindowText, taLeftJustify, kFixedSize, ANSI_CHARSET},
    // clang-format on
};

// Every picture is stretched to its element.
struct PictureRow {
    const char* name;
    TCursor cursor;
};
constexpr PictureRow kPictures[] = {
    // clang-format off
    {"MenuRechts", TCursor::crArrow},
    {"Livesbar",   TCursor::crDefault},
    {"Image5",     TCursor::crArrow},
    {"BONUS1",     TCursor::crDefault},
    {"Bonus2",     TCursor::crDefault},
    {"Bonus3",     TCursor::crDefault},
    {"Bonus4",     TCursor::crDefault},
    {"Bonus5",     TCursor::crDefault},
    {"Finale",     TCursor::crDefault},
    // clang-format on
};

// Text panels, buttons and the text field: "Trebuchet MS", bold.
struct ControlRow {
    const char* name;
    const char* text;
    int fontHeight;
    TCursor cursor;
    int tabOrder;
};
constexpr ControlRow kControls[] = {
    // clang-format off
    {"Memo1",      "",             -16, TCursor::crArrow,     5},
    {"Button1",    "&Start!",      -13, TCursor::crHandPoint, 6},
    {"Edit1",      "Enter a name", -12, TCursor::crIBeam,     7},
    {"tryagain",   "Try again!",   -16, TCursor::crDefault,   8},
    {"closeall",   "Exit!",        -16, TCursor::crDefault,   9},
    {"Scoreseind", "",             -12, TCursor::crCross,     11},
    // clang-format on
};

struct ChannelRow {
    const char* name;
    const char* fileName;
    int tabOrder;
};
constexpr ChannelRow kChannels[] = {
    // clang-format off
    {"MediaPlayer1", ".\\introsong.wav",  0},
    {"MediaPlayer2", ".\\gamemusic.wav",  1},
    {"MediaPlayer3", ".\\click.wav",      2},
    {"MediaPlayer4", ".\\bonus.wav",      3},
    {"MediaPlayer5", ".\\bonusclick.wav", 4},
    {"MediaPlayer6", ".\\alarm.wav",      10},
    // clang-format on
};

TFont LayoutFont(int height, unsigned style, TColor color, int charset) {
    return TFont{"Trebuchet MS", height, style, color, charset};
}

const ElementRow& RowOf(const char* name) {
    for (const ElementRow& row : kElements)
        if (std::string_view(row.name) == name) return row;
    throw std::logic_error(std::string("no layout row for ") + name);
}

template <typename T>
T& As(TForm1& form, const char* name) {
    return dynamic_cast<T&>(*form.FindElement(name));
}

}  // namespace

// ---- What the work ahead of the first frame reads of the table (LayoutRows.h) ----

std::shared_ptr<Picture> LayoutPicture(const char* name) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<Picture>> made;
    const std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<Picture>& picture = made[name];
    if (!picture) {
        const EmbeddedJpeg jpeg = PictureData(name);
        picture = std::make_shared<Picture>(jpeg.data, jpeg.size);
    }
    return picture;
}

std::vector<LayoutCaption> LayoutCaptions() {
    std::vector<LayoutCaption> captions;
    for (const auto& row : kLabels) {
        if (*row.caption == '\0' && !row.autoSize) continue;
        captions.push_back({row.caption, LayoutFont(row.fontHeight, row.style, row.color, row.charset), row.alignment,
                            RowOf(row.name).visible});
    }
    // Text panels and fields measure a line in their font whenever they are drawn, empty or not.
    for (const auto& row : kControls)
        captions.push_back({row.text, LayoutFont(row.fontHeight, fsBold, clWindowText, ANSI_CHARSET), taLeftJustify,
                            RowOf(row.name).visible});
    return captions;
}

std::vector<TFont> LayoutFonts() {
    std::vector<TFont> fonts;
    auto add = [&fonts](const TFont& font) {
        for (const TFont& f : fonts)
            if (f.Height == font.Height && f.Style == font.Style) return;
        fonts.push_back(font);
    };
    for (const auto& row : kLabels) add(LayoutFont(row.fontHeight, row.style, row.color, row.charset));
    for (const auto& row : kControls) add(LayoutFont(row.fontHeight, fsBold, clWindowText, ANSI_CHARSET));
    return fonts;
}

std::vector<LayoutPictureBox> ShownLayoutPictures() {
    std::vector<LayoutPictureBox> shown;
    for (const auto& row : kPictures) {
        const ElementRow& e = RowOf(row.name);
        if (e.visible) shown.push_back({row.name, {e.left, e.top, e.width, e.height}});
    }
    return shown;
}

TForm1::TForm1(Application& app, sound::SoundService& sounds) : Form(app, "Form1"), Sounds(sounds) {
    ApplyLayout();
    WireHandlers();
    app.SetInputGate([this](const scene::InputEvent& ev) { return PauseGate(ev); });
}

TForm1::~TForm1() { App().SetInputGate({}); }

std::vector<std::string> TForm1::SoundFiles() {
    std::vector<std::string> paths;
    for (const auto& row : kChannels) paths.push_back(sound::NativePath(row.fileName));
    return paths;
}

std::vector<std::string> TForm1::GameFiles() {
    std::vector<std::string> names{kIntroFile, game::kScoresFile};
    for (const std::string& path : SoundFiles()) names.push_back(path);
    for (std::string& name : names) name = std::filesystem::path(name).filename().string();
    return names;
}

SceneElement* TForm1::FindElement(const std::string& name) const {
    for (SceneElement* e : Stacking())
        if (e->Name() == name) return e;
    for (auto* e : Windowed())
        if (e->Name() == name) return e;
    return nullptr;
}

WindowOptions TForm1::WindowOptionsAt(DisplayScale scale) {
    return OptionsForWindow(kCaption, kWindowLeft, kWindowTop, kClientWidth, kClientHeight, LayoutIcon(), scale);
}

void TForm1::ApplyLayout() {
    Caption = kCaption;
    ClientWidth = kClientWidth;
    ClientHeight = kClientHeight;
    WindowLeft = kWindowLeft;
    WindowTop = kWindowTop;
    Color = clSilver;
    Cursor = TCursor::crHandPoint;
    Font = TFont{"MS Sans Serif", -11, 0, clWindowText, DEFAULT_CHARSET};
    IconArgb = LayoutIcon();

    for (const auto& row : kShapes) {
        auto& shape = As<TShape>(*this, row.name);
        shape.SetShape(row.shape);
        shape.SetBrushColor(row.brush);
    }
    for (const auto& row : kLabels) {
        auto& label = As<TLabel>(*this, row.name);
        label.SetAutoSize(row.autoSize);
        label.SetParentFont(false);
        label.SetFont(LayoutFont(row.fontHeight, row.style, row.color, row.charset));
        label.SetTransparent(true);
        label.SetWordWrap(false);
        label.SetLayout(TTextLayout::tlTop);
        label.SetAlignment(row.alignment);
        label.SetCaption(row.caption);
    }
    for (const auto& row : kPictures) {
        auto& image = As<TImage>(*this, row.name);
        image.SetPicture(LayoutPicture(row.name));
        image.SetStretch(true);
        image.SetCursor(row.cursor);
    }
    for (const auto& row : kControls) {
        auto& control = dynamic_cast<scene::TWinControl&>(*FindElement(row.name));
        control.SetParentFont(false);
        control.SetFont(LayoutFont(row.fontHeight, fsBold, clWindowText, ANSI_CHARSET));
        control.SetCursor(row.cursor);
        control.SetTabOrder(row.tabOrder);
        if (auto* button = dynamic_cast<TButton*>(&control)) button->SetCaption(row.text);
        if (auto* edit = dynamic_cast<TEdit*>(&control)) edit->SetText(row.text);
        if (auto* memo = dynamic_cast<TMemo*>(&control)) memo->SetLines({""});
    }
    Button1.SetDefault(true);
    Button1.SetEnabled(false);
    for (const auto& row : kChannels) {
        auto& player = As<TMediaPlayer>(*this, row.name);
        player.Channel().FileName = row.fileName;
        player.Channel().AutoOpen = true;
        player.Channel().AutoRewind = true;
        player.SetTabOrder(row.tabOrder);
    }
    Timer1.SetInterval(1000);
    Timer2.SetInterval(1);
    Timer3.SetInterval(1);
    Timer4.SetInterval(1);
    Timer5.SetInterval(100);
    Timer5.SetEnabled(false);
    // Bounds last: the stored sizes hold until the auto-sizing labels measure themselves at load.
    for (const auto& row : kElements) {
        SceneElement& e = *FindElement(row.name);
        e.SetBounds(row.left, row.top, row.width, row.height);
        e.SetVisible(row.visible);
    }
}

void TForm1::WireHandlers() {
    OnCreate = [this](Form& sender) { FormCreate(sender); };
    Edit1.OnChange = [this](SceneElement& s) { Edit1Change(s); };
    Button1.OnClick = [this](SceneElement& s) { Button1Click(s); };
    tryagain.OnClick = [this](SceneElement& s) { tryagainClick(s); };
    closeall.OnClick = [this](SceneElement& s) { closeallClick(s); };
    Label2.OnClick = [this](SceneElement& s) { Label2Click(s); };
    Label3.OnClick = [this](SceneElement& s) { Label3Click(s); };
    Label5.OnClick = [this](SceneElement& s) { Label5Click(s); };
    Label6.OnClick = [this](SceneElement& s) { Label6Click(s); };
    Label4.OnClick = [this](SceneElement& s) { Label4Click(s); };
    Timer5.SetOnTimer([this](TTimer& t) { Timer5Timer(t); });
    BONUS1.OnClick = [this](SceneElement& s) { BONUS1Click(s); };
    Bonus2.OnClick = [this](SceneElement& s) { Bonus2Click(s); };
    Bonus3.OnClick = [this](SceneElement& s) { Bonus3Click(s); };
    Bonus4.OnClick = [this](SceneElement& s) { Bonus4Click(s); };
    Bonus5.OnClick = [this](SceneElement& s) { Bonus5Click(s); };
    MediaPlayer1.Channel().OnNotify = [this](sound::SoundChannel& s) { MediaPlayer1Notify(s); };
    MediaPlayer2.Channel().OnNotify = [this](sound::SoundChannel& s) { MediaPlayer2Notify(s); };
    MediaPlayer4.Channel().OnNotify = [this](sound::SoundChannel& s) { MediaPlayer4Notify(s); };
    WireTouches();
    Timer1.SetOnTimer([this](TTimer& t) { Timer1Timer(t); });
    Timer2.SetOnTimer([this](TTimer& t) { Timer2Timer(t); });
    Timer3.SetOnTimer([this](TTimer& t) { Timer3Timer(t); });
    Timer4.SetOnTimer([this](TTimer& t) { Timer4Timer(t); });
}

void TForm1::WireTouches() {
    using Handler = void (TForm1::*)(SceneElement&, TShiftState, int, int);
    const std::pair<TShape*, Handler> touches[] = {
        {&Zvierkant1, &TForm1::Zvierkant1MouseMove}, {&zvierkant2, &TForm1::zvierkant2MouseMove},
        {&zvierkant3, &TForm1::zvierkant3MouseMove}, {&zvierkant4, &TForm1::zvierkant4MouseMove},
        {&Rvierkant1, &TForm1::Rvierkant1MouseMove}, {&rvierkant2, &TForm1::rvierkant2MouseMove},
        {&rvierkant3, &TForm1::rvierkant3MouseMove}, {&rvierkant4, &TForm1::rvierkant4MouseMove},
        {&zround1, &TForm1::zround1MouseMove},
    };
    for (const auto& [shape, handler] : touches) {
        shape->OnMouseMove = [this, handler](SceneElement& s, TShiftState shift, int x, int y) {
            (this->*handler)(s, shift, x, y);
        };
        // A touch is the pointer moving over the mover, button down or not: a
        // press on a mover must not hand it every later movement (one held
        // press would score without end), nor a press elsewhere hide it.
        shape->SetHold(PointerHold::Never);
    }
}

}  // namespace layout
