// Focus, the tab order, Enter and the buttons' accelerators.
#include <gtest/gtest.h>

#include "Harness.h"
#include "scene/TButton.h"
#include "scene/TEdit.h"
#include "scene/TMemo.h"

namespace {

using namespace scene;
using scenetest::Harness;

class Keyboard : public ::testing::Test, public Harness {
protected:
    void Press(int key, unsigned mods = 0) {
        platform.Key(key, mods);
        app.RunFor(10);
    }
    void Type(const std::string& utf8) {
        platform.Type(utf8);
        app.RunFor(10);
    }
};

// The start screen: a panel, the Start button (default, disabled) and the name field.
class StartScreen : public Keyboard {
protected:
    TMemo memo{form, "memo"};
    TButton start{form, "start"};
    TEdit name{form, "name"};
    int starts = 0;

    StartScreen() {
        memo.SetBounds(0, 0, 300, 200);
        memo.SetTabOrder(5);
        memo.AddLine("");
        start.SetBounds(310, 40, 80, 30);
        start.SetCaption("&Start!");
        start.SetDefault(true);
        start.SetEnabled(false);
        start.SetTabOrder(6);
        start.OnClick = [this](SceneElement&) { ++starts; };
        name.SetBounds(310, 0, 80, 25);
        name.SetText("Enter a name");
        name.SetTabOrder(7);
        name.OnChange = [this](SceneElement&) { start.SetEnabled(true); };
        Start();
    }
};

TEST_F(Keyboard, FirstFocusGoesToTheFirstFocusableInTabOrder) {
    TButton hidden(form, "hidden");
    hidden.SetTabOrder(0);
    hidden.SetVisible(false);
    TButton disabled(form, "disabled");
    disabled.SetTabOrder(0);
    disabled.SetEnabled(false);
    TButton noStop(form, "noStop");
    noStop.SetTabOrder(0);
    noStop.SetTabStop(false);
    TButton later(form, "later");
    later.SetTabOrder(2);
    TButton tieFirst(form, "tieFirst");
    tieFirst.SetTabOrder(1);
    TButton tieSecond(form, "tieSecond");
    tieSecond.SetTabOrder(1);
    Start();
    EXPECT_EQ(form.FocusedControl(), &tieFirst);
}

TEST_F(StartScreen, TabCyclesForwardAndBackSkippingHiddenAndDisabled) {
    EXPECT_EQ(form.FocusedControl(), &memo);
    Press(kTab);
    EXPECT_EQ(form.FocusedControl(), &name) << "the disabled Start is skipped";
    Press(kTab);
    EXPECT_EQ(form.FocusedControl(), &memo);
    Press(kTab, kmShift);
    EXPECT_EQ(form.FocusedControl(), &name);
    start.SetEnabled(true);
    Press(kTab, kmShift);
    EXPECT_EQ(form.FocusedControl(), &start);
    memo.SetVisible(false);
    Press(kTab, kmShift);
    EXPECT_EQ(form.FocusedControl(), &name);
}

TEST_F(StartScreen, EnterPressesTheDefaultButtonOnlyWhenItCanTakeTheFocus) {
    platform.Click(320, 10);
    app.RunFor(10);
    ASSERT_EQ(form.FocusedControl(), &name);
    Press(kReturn);
    EXPECT_EQ(starts, 0) << "Start is disabled";
    Type("x");
    EXPECT_TRUE(start.Enabled());
    Press(kReturn, kmShift);
    Press(kReturn, kmCtrl);
    EXPECT_EQ(starts, 0) << "Enter with Shift or Ctrl presses nothing";
    Press(kReturn);
    EXPECT_EQ(starts, 1);
    start.SetVisible(false);
    Press(kReturn);
    EXPECT_EQ(starts, 1) << "a hidden default button ignores Enter";
}

TEST_F(StartScreen, EnterInThePanelBreaksTheLineAndPressesNothing) {
    start.SetEnabled(true);
    platform.Click(10, 10);
    app.RunFor(10);
    ASSERT_EQ(form.FocusedControl(), &memo);
    Type("ab");
    Press(kReturn);
    Type("c");
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"ab", "c"}));
}

TEST_F(StartScreen, AltLetterPressesTheButtonWhateverHasTheFocus) {
    platform.Click(320, 10);
    app.RunFor(10);
    Press('s', kmAlt);
    EXPECT_EQ(starts, 0) << "disabled";
    start.SetEnabled(true);
    Press('s', kmAlt);
    EXPECT_EQ(starts, 1);
    Press('x', kmAlt);
    EXPECT_EQ(starts, 1);
}

TEST_F(StartScreen, AltGrTypesAndPressesNothingWhereAltWould) {
    start.SetEnabled(true);
    platform.Click(320, 10);
    app.RunFor(10);
    const struct {
        int key;
        const char* typed;
    } chords[] = {{'s', "\xC5\x9B"}, {'l', "\xC5\x82"}, {'q', "@"}, {'e', "\xE2\x82\xAC"}, {'7', "{"}};
    for (const auto& c : chords) {
        Press(c.key, kmAltGr);
        Type(c.typed);
        EXPECT_EQ(starts, 0) << "AltGr with '" << static_cast<char>(c.key) << "' pressed Start";
    }
    EXPECT_NE(name.Text().find("@\x80{"), std::string::npos) << "expected the typed characters, got " << name.Text();
    form.SetFocus(&start);
    Press('s', kmAltGr | kmShift);
    EXPECT_EQ(starts, 0) << "AltGr on a button is no letter alone";
    Press('s', kmAlt);
    EXPECT_EQ(starts, 1) << "Alt still presses";
}

TEST_F(StartScreen, LetterAlonePressesOnlyWhenTheFocusTakesNoCharacters) {
    start.SetEnabled(true);
    platform.Click(320, 10);
    app.RunFor(10);
    Press('s');
    Type("s");
    EXPECT_EQ(starts, 0) << "the name field takes the letter";
    EXPECT_EQ(name.Text().size(), 13u) << name.Text();
    form.SetFocus(&start);
    Press('s');
    EXPECT_EQ(starts, 1);
    Press('s', kmCtrl);
    EXPECT_EQ(starts, 1);
}

TEST_F(StartScreen, FocusAndTextInputFollowTheControlThatTypes) {
    EXPECT_TRUE(Window().textInput) << "the panel has the first focus";
    start.SetEnabled(true);
    form.SetFocus(&start);
    EXPECT_FALSE(Window().textInput);
    platform.Click(320, 10);
    app.RunFor(10);
    EXPECT_TRUE(Window().textInput);
    Type("\xC3\xA9");
    EXPECT_NE(name.Text().find('\xE9'), std::string::npos) << "typed UTF-8 kept as Windows-1252";
    name.SetVisible(false);
    EXPECT_EQ(form.FocusedControl(), nullptr) << "a hidden control loses the focus";
    EXPECT_FALSE(Window().textInput);
    Type("z");
    EXPECT_EQ(name.Text().find('z'), std::string::npos);
}

TEST_F(StartScreen, DefaultFrameBelongsToTheFocusedButtonWhileOneHasFocus) {
    TButton other(form, "other");
    other.SetBounds(310, 100, 80, 30);
    start.SetEnabled(true);
    EXPECT_EQ(form.ActiveButton(), &start);
    form.SetFocus(&other);
    EXPECT_EQ(form.ActiveButton(), &other);
    form.SetFocus(&name);
    EXPECT_EQ(form.ActiveButton(), &start);
}

}  // namespace
