// The one top-level window: its elements in stacking and tab order, the marked
// region, pointer and keyboard dispatch, focus, and composing frames.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene/Platform.h"
#include "scene/Types.h"

namespace scene {

class Application;
class SceneElement;
class TWinControl;
class TButton;
class TShape;
class TTimer;

class Form {
public:
    Form(Application& app, std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Application& App() const { return app_; }

    // Window properties, set by the layout before the window is shown.
    std::string Caption = "Form";
    int ClientWidth = 640, ClientHeight = 480;
    int WindowLeft = 0, WindowTop = 0;
    TColor Color = clSilver;
    TCursor Cursor = TCursor::crDefault;
    TFont Font;
    bool DoubleBuffered = false;
    std::vector<std::uint32_t> IconArgb;   // 32 x 32 when set
    std::function<void(Form& Sender)> OnCreate;

    // Registration, in creation order; elements call these from their constructors.
    void Register(SceneElement& e);
    void Unregister(SceneElement& e);
    void Register(TTimer& t);
    void Unregister(TTimer& t);
    const std::vector<SceneElement*>& Stacking() const { return stacking_; }
    const std::vector<TWinControl*>& Windowed() const { return windowed_; }
    const std::vector<TTimer*>& Timers() const { return timers_; }
    int StackIndex(const SceneElement& e) const;

    // A shape made at run time, owned by the window, on top of the stacking list.
    TShape& MakeShape();
    // Moves a graphic element to the bottom of the stacking list.
    void SendToBack(SceneElement& e);

    // Load steps in creation order, then the auto-sizing labels, then the timers armed.
    void LoadAll();
    // Makes the platform window, shows it and gives the first focus.
    void Show();
    // Ends the event loop; the window is destroyed with this object.
    void Close();
    bool Showing() const { return window_ != nullptr; }
    PlatformWindow* Window() const { return window_.get(); }

    // Repainting.
    void InvalidateRect(const TRect& r);
    void InvalidateAll();
    bool NeedsRepaint() const { return !dirty_.empty(); }
    // Composes the marked region and presents it.
    void Repaint();
    // Composes the whole client area (clipped to clip) into frame; used by Repaint,
    // benchmarks and tests.
    void Compose(const FrameBuffer& frame, const TRect& clip);

    // Input for this window, from the event loop.
    void HandleInput(const InputEvent& ev);
    // Releases the pointer capture, delivering a release outside the holder.
    void CancelCapture();
    // The enter/leave check at idle time.
    void IdleCheck();
    // Topmost visible enabled graphic element at (x, y), or null.
    SceneElement* HitTest(int x, int y) const;
    SceneElement* Capture() const { return capture_; }

    // Keyboard focus among the windowed elements.
    TWinControl* FocusedControl() const { return focused_; }
    void SetFocus(TWinControl* c);
    void SelectNext(bool forward);
    // The button Enter presses: the focused button, else the default one.
    TButton* ActiveButton() const;

    // Forget an element that is being hidden, disabled or destroyed.
    void ElementStateChanged(SceneElement& e);

private:
    TWinControl* WindowedAt(int x, int y) const;
    void DispatchMouse(const InputEvent& ev);
    void DispatchKey(const InputEvent& ev);
    void UpdateCursor(int x, int y);

    Application& app_;
    std::string name_;
    std::vector<SceneElement*> stacking_;
    std::vector<TWinControl*> windowed_;
    std::vector<TTimer*> timers_;
    std::vector<std::unique_ptr<TShape>> madeShapes_;
    std::vector<TRect> dirty_;
    std::unique_ptr<PlatformWindow> window_;

    SceneElement* capture_ = nullptr;       // graphic element holding the pointer
    TWinControl* windowedCapture_ = nullptr;
    SceneElement* pressed_ = nullptr;
    SceneElement* hover_ = nullptr;         // last found by IdleCheck
    TWinControl* focused_ = nullptr;
    int pointerX_ = -1, pointerY_ = -1;
    bool pointerInside_ = false;
    double lastDownMs_ = -1e9;
    int lastDownX_ = 0, lastDownY_ = 0;
    SceneElement* lastDownTarget_ = nullptr;
    TCursor shownCursor_ = TCursor::crDefault;
};

}  // namespace scene
