// A window on the headless platform for element tests: compose it into a frame
// of the test's own, or drive it with scripted input.
#pragma once

#include <gtest/gtest.h>

#include "PaintSupport.h"
#include "platform/headless/HeadlessPlatform.h"
#include "scene/Application.h"
#include "scene/Form.h"

namespace painttest {

class FormTest : public ::testing::Test {
protected:
    FormTest() {
        form.ClientWidth = 320;
        form.ClientHeight = 200;
        form.Color = scene::clSilver;
    }

    // Loads the elements, shows the window and paints it once.
    void Start() {
        form.LoadAll();
        form.Show();
        form.Repaint();
    }

    // The whole client area as the window would show it.
    TestFrame Compose() {
        TestFrame frame(form.ClientWidth, form.ClientHeight, scene::clRed);
        form.Compose(frame.Buffer(), form.ClientRect());
        return frame;
    }

    // Delivers the scripted input.
    void Run() { app.RunFor(1); }

    // Forgets what is marked, so a test can see whether an operation marks anything.
    void Settle() { form.Repaint(); }

    platform::HeadlessPlatform platform;
    scene::Application app{platform, "/games/SWOOPY.EXE"};
    scene::Form form{app, "Form1"};
};

inline scene::TFont TrebuchetBold(int height, scene::TColor color = scene::clBlack) {
    scene::TFont f;
    f.Name = "Trebuchet MS";
    f.Height = height;
    f.Style = scene::fsBold;
    f.Color = color;
    f.Charset = scene::ANSI_CHARSET;
    return f;
}

}  // namespace painttest
