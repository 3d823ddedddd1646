// The one top-level window: its elements in stacking and tab order, the marked
// region, pointer and keyboard dispatch, focus, and composing frames. The rules
// live by concern: FormStacking.cpp, FormPointer.cpp, FormKeyboard.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "scene/Platform.h"
#include "scene/Types.h"

namespace scene {

class Application;
class Painter;
class SceneElement;
class TWinControl;
class TButton;
class TShape;
class TTimer;

enum class Direction { Forward, Backward };

class Form {
public:
    Form(Application& app, std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Application& App() const { return app_; }
    const std::string& Name() const { return name_; }

    // Window properties, set by the layout before the window is shown.
    std::string Caption = "Form";
    int ClientWidth = 640, ClientHeight = 480;
    int WindowLeft = 0, WindowTop = 0;
    TColor Color = clSilver;
    TCursor Cursor = TCursor::crDefault;
    TFont Font;
    bool DoubleBuffered = false;
    std::vector<std::uint32_t> IconArgb;  // 32 x 32 when set
    std::function<void(Form& Sender)> OnCreate;

    TRect ClientRect() const { return {0, 0, ClientWidth, ClientHeight}; }

    // Registration, in creation order; elements and timers call these from their
    // constructors and destructors.
    void Register(SceneElement& e);
    void Unregister(SceneElement& e);
    void Register(TWinControl& c);
    void Unregister(TWinControl& c);
    void Register(TTimer& t);
    void Unregister(TTimer& t);
    const std::vector<SceneElement*>& Stacking() const { return stacking_; }
    const std::vector<TWinControl*>& Windowed() const { return windowed_; }
    const std::vector<TTimer*>& Timers() const { return timers_; }
    // Index in the stacking list (0 is the bottom), or -1.
    int StackIndex(const SceneElement& e) const;

    // A shape made at run time, owned by the window, on top of the stacking list.
    TShape& MakeShape();
    // Moves a graphic element to the bottom of the stacking list.
    void SendToBack(SceneElement& e);
    // Moves a graphic element to the top of the stacking list.
    void BringToFront(SceneElement& e);

    // Load steps in creation order, then the timers armed. Errors propagate.
    void LoadAll();
    bool Loaded() const { return loaded_; }
    // Runs OnCreate; an error it raises is shown in the error box before this returns.
    void DoCreate();
    // Makes the platform window at the platform's presentation scale, shows it
    // and gives the first focus.
    void Show();
    // What Show asks the platform for, from the form's caption, place, client
    // size and icon in layout pixels, at the presentation scale.
    static WindowOptions OptionsForWindow(const std::string& caption, int left, int top, int clientWidth,
                                          int clientHeight, const std::vector<std::uint32_t>& iconArgb,
                                          DisplayScale scale);
    // Ends the event loop; the window is destroyed with this object.
    void Close();
    bool Showing() const { return window_ != nullptr; }
    PlatformWindow* Window() const { return window_.get(); }
    int WindowId() const { return window_ ? window_->Id() : 0; }
    // Device pixels per layout pixel of the window's frames and pointer
    // positions; 1 until the window is shown.
    DisplayScale Scale() const { return scale_; }
    // Full screen shows the client area as large as the screen allows, centred
    // on black (FitOnScreen); F11 and Alt+Enter switch. Set before Show, the
    // window starts so.
    void SetMode(WindowMode mode);
    WindowMode Mode() const { return mode_; }
    // Where the last frame drew the client area.
    Placement ShownAt() const { return {scale_, originX_, originY_}; }

    // Repainting.
    void InvalidateRect(const TRect& r);
    void InvalidateAll();
    bool NeedsRepaint() const { return !dirty_.empty(); }
    // The marked region, as a few rectangles inside the client area.
    const std::vector<TRect>& DirtyRegion() const { return dirty_; }
    // How often handlers marked part of the window; tells which input had an effect.
    std::uint64_t Marks() const { return marks_; }
    // Composes the marked region and presents it, in device pixels rounded
    // outwards; says how long each step took.
    struct RepaintCost {
        double composeMs = 0, presentMs = 0;
        bool presented = false;
    };
    RepaintCost Repaint();
    // Composes everything that meets clip (layout pixels) into frame (device
    // pixels at Scale()): the background, the visible graphic elements bottom
    // up, then the visible windowed ones, over every device pixel that clip
    // touches. Used by Repaint, benchmarks and tests.
    void Compose(const FrameBuffer& frame, const TRect& clip);
    // Asks the application to start, once the next frame is presented, the
    // decoding of every picture of the window's images that is not decoded yet,
    // the shown ones first, on a thread of its own at the size each is drawn: a
    // picture first shown later then shows without a decode on the loop thread.
    void DecodePicturesAhead();
    // Waits until that decoding has ended.
    void WaitForPicturesAhead();

    // Input for this window, from the event loop; pointer positions in device pixels.
    void HandleInput(const InputEvent& ev);
    // The same with pointer positions already in layout pixels, as a record keeps them.
    void HandleLayoutInput(const InputEvent& ev);
    // A pointer event with its device position mapped to the layout pixel it lies in.
    InputEvent InLayout(InputEvent ev) const;
    // F11 and Alt+Enter switch the window's mode and reach no control.
    static bool IsFullScreenKey(int key, unsigned mods);
    // Releases the pointer capture, delivering a release outside the holder.
    void CancelCapture();
    // The enter/leave check at idle time.
    void IdleCheck();
    // Topmost visible enabled graphic element at (x, y), or null.
    SceneElement* HitTest(int x, int y) const;
    SceneElement* Capture() const { return capture_; }

    // Keyboard focus among the windowed elements.
    TWinControl* FocusedControl() const { return focused_; }
    void SetFocus(TWinControl* c, FocusCause cause = FocusCause::Keyboard);
    void SelectNext(Direction direction);
    // The button Enter presses: the focused button, else the default one.
    TButton* ActiveButton() const;

    // Forget an element that is being hidden, disabled or destroyed.
    void ElementStateChanged(SceneElement& e);

    // How close two presses must be to make a double click.
    static constexpr double kDoubleClickMs = 500;
    static constexpr int kDoubleClickDistance = 4;

private:
    RepaintCost RepaintRegion(const std::vector<TRect>& region);
    // Places the client area in a frame of that size; true when its place,
    // scale or the frame's size changed, and the frame must be drawn anew.
    bool PlaceIn(const FrameBuffer& whole);
    // The part of the frame the client area covers.
    FrameBuffer ClientFrame(const FrameBuffer& whole) const;
    TWinControl* WindowedAt(int x, int y) const;
    std::vector<TWinControl*> TabCycle() const;
    void DispatchMouse(const InputEvent& ev);
    void DispatchToHolderOrTarget(const InputEvent& ev, TShiftState shift);
    void MoveUnderHeldPointer(const InputEvent& ev, TShiftState shift);
    void DispatchToWindowed(TWinControl& c, const InputEvent& ev, TShiftState shift);
    void DispatchToGraphic(const InputEvent& ev, TShiftState shift);
    void PressGraphic(SceneElement* target, const InputEvent& ev, TShiftState shift);
    void ReleaseGraphic(SceneElement* target, const InputEvent& ev, TShiftState shift);
    void DispatchKey(const InputEvent& ev);
    bool PressAccelerator(int key);
    void UpdateCursor(int x, int y);
    void PointerLeft();
    void Forget(SceneElement& e);
    void InvalidateDefaultButtons();
    void StartDecodingAhead();
    // The layout pixels e paints opaquely when shown, in the window's layout pixels.
    TRect CoverOf(const SceneElement& e) const;
    void Compose(Painter& painter, const FrameBuffer& frame, const TRect& clip);
    // Splits area (layout pixels) into what each shown element paints (shown_,
    // shownParts_) and what no element covers (bareParts_).
    void FindShownParts(const TRect& area);
    // The i-th element in painting order: graphic ones bottom up, then windowed ones.
    SceneElement* PaintedAt(std::size_t i) const;

    Application& app_;
    std::string name_;
    std::vector<SceneElement*> created_;  // both families, in creation order
    std::vector<SceneElement*> stacking_;
    std::vector<TWinControl*> windowed_;
    std::vector<TTimer*> timers_;
    std::vector<std::unique_ptr<TShape>> madeShapes_;
    std::vector<TRect> dirty_;
    std::vector<TRect> spareDirty_;  // the last repaint's marks, emptied: their room is reused
    std::uint64_t marks_ = 0;
    std::unique_ptr<PlatformWindow> window_;
    DisplayScale scale_;
    int originX_ = 0, originY_ = 0;         // the client area's corner in the frame
    int frameWidth_ = 0, frameHeight_ = 0;  // the last frame's size
    WindowMode mode_ = WindowMode::Windowed;
    bool loaded_ = false;

    SceneElement* capture_ = nullptr;  // graphic element holding the pointer
    bool windowCapture_ = false;       // the bare window took the press and holds the pointer
    TWinControl* windowedCapture_ = nullptr;
    SceneElement* pressed_ = nullptr;
    SceneElement* hover_ = nullptr;  // last found by IdleCheck
    TWinControl* focused_ = nullptr;
    int pointerX_ = -1, pointerY_ = -1;
    bool pointerInside_ = false;
    unsigned buttonsHeld_ = 0;  // ssLeft, ssRight, ssMiddle
    double lastDownMs_ = -1e9;
    int lastDownX_ = 0, lastDownY_ = 0;
    bool surfacePressed_ = false;  // the last press may start a double click
    bool cursorShown_ = false;
    TCursor shownCursor_ = TCursor::crDefault;
    // Compose's, kept so that no frame allocates them: the parts of the area no
    // opaque element covers, and each shown element's parts.
    struct Shown {
        std::size_t index, begin, end;
    };
    std::vector<TRect> bareParts_;
    std::vector<TRect> shownParts_;
    std::vector<Shown> shown_;
    std::atomic<bool> stopDecodingAhead_{false};
    std::thread decodingAhead_;
};

}  // namespace scene
