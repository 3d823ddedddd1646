#include <gtest/gtest.h>

#include "FormSupport.h"
#include "scene/Painter.h"
#include "scene/TButton.h"
#include "scene/TEdit.h"

using namespace scene;
using painttest::Dark;
using painttest::Px;
using painttest::TestFrame;

namespace {

class EditTest : public painttest::FormTest {
protected:
    EditTest() {
        // Like the sound strips, a control below the client area takes the first focus.
        strip.SetBounds(0, 300, 75, 25);
        strip.SetTabOrder(0);
        edit.SetTabOrder(7);
        edit.SetBounds(20, 20, 137, 26);
        edit.SetFont(painttest::TrebuchetBold(-12));
        edit.SetText("Enter a name");
        edit.OnChange = [this](SceneElement&) {
            ++changes;
            seen.push_back(edit.Text());
        };
    }

    void Key(int key, unsigned mods = 0) { edit.KeyDown(key, mods); }

    TButton strip{form, "Strip"};
    TEdit edit{form, "Edit1"};
    int changes = 0;
    std::vector<std::string> seen;  // the text at each OnChange
};

}  // namespace

TEST_F(EditTest, TextFromCodeIsAChangeOnceTheLayoutIsLoaded) {
    EXPECT_EQ(edit.Text(), "Enter a name");
    edit.SetText("Bob");
    EXPECT_EQ(changes, 0) << "the layout's own text is no change";
    Start();
    edit.SetText("Ann");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen.back(), "Ann") << "OnChange sees the new text";
    Settle();
    edit.SetText("Ann");
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(form.NeedsRepaint()) << "the same text marks nothing";
}

TEST_F(EditTest, TypingInsertsAtTheCaretAndFiresOnceAfterEachChange) {
    Key(kEnd);
    edit.TextInput("s");
    edit.TextInput("!?");
    EXPECT_EQ(edit.Text(), "Enter a names!?");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(seen.back(), "Enter a names!?") << "OnChange sees the new text";
    Key(kHome);
    edit.TextInput(">");
    EXPECT_EQ(edit.Text(), ">Enter a names!?");
    EXPECT_EQ(edit.CaretPos(), 1);
}

TEST_F(EditTest, CharactersOutsideTheCodePageAndControlsAreDropped) {
    edit.SetText("");
    edit.TextInput("Jos\xC3\xA9");     // e acute fits
    edit.TextInput("\xE2\x82\xAC");    // euro sign fits (0x80)
    edit.TextInput("\xE4\xB8\xAD");    // CJK: dropped, no change
    edit.TextInput("\t\r\n\x01\x7F");  // controls: dropped, no change
    edit.TextInput("a\tb");            // the tab alone is dropped
    EXPECT_EQ(edit.Text(),
              "Jos\xE9\x80"
              "ab");
    EXPECT_EQ(changes, 3);
}

TEST_F(EditTest, DeletingAtTheEndsChangesNothing) {
    edit.SetText("ab");
    Key(kHome);
    Key(kBackspace);
    Key(kEnd);
    Key(kDelete);
    EXPECT_EQ(changes, 0);
    Key(kBackspace);
    EXPECT_EQ(edit.Text(), "a");
    Key(kHome);
    Key(kDelete);
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(changes, 2);
}

TEST_F(EditTest, ShiftSelectsAndTypingReplacesTheSelectionOnce) {
    edit.SetText("Hello World");
    Key(kEnd);
    for (int i = 0; i < 5; ++i) Key(kLeft, kmShift);
    EXPECT_EQ(edit.SelStart(), 6);
    EXPECT_EQ(edit.SelLength(), 5);
    edit.TextInput("Bob");
    EXPECT_EQ(edit.Text(), "Hello Bob");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit.SelLength(), 0);

    Key(kLeft, kmShift);
    edit.TextInput("b");  // the same letter over itself: no change
    EXPECT_EQ(edit.Text(), "Hello Bob");
    EXPECT_EQ(changes, 1);
    Key('x', kmCtrl);  // nothing selected: nothing cut
    EXPECT_EQ(changes, 1);

    Key(kHome, kmShift);
    EXPECT_EQ(edit.SelLength(), 9);
    Key(kRight);  // collapses to the selection's end
    EXPECT_EQ(edit.CaretPos(), 9);
    EXPECT_EQ(edit.SelLength(), 0);
    Key(kHome);
    Key(kEnd, kmShift);
    Key(kBackspace);
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(changes, 2);
}

TEST_F(EditTest, ClipboardCopyCutAndPasteOfTheFirstLine) {
    edit.SetText("Caf\xE9");
    Key('a', kmCtrl);
    EXPECT_EQ(edit.SelLength(), 4);
    Key('c', kmCtrl);
    EXPECT_EQ(platform.ClipboardText(), "Caf\xC3\xA9") << "the clipboard holds UTF-8";
    EXPECT_EQ(changes, 0);
    Key('x', kmCtrl);
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(changes, 1);

    platform.SetClipboardText("Ann\tMarie\r\nsecond line\n");
    Key('v', kmCtrl);
    EXPECT_EQ(edit.Text(), "AnnMarie");
    EXPECT_EQ(changes, 2);
    platform.SetClipboardText("\nonly the second");
    Key('v', kmCtrl);
    EXPECT_EQ(edit.Text(), "AnnMarie") << "an empty first line pastes nothing";
    EXPECT_EQ(changes, 2);
    // Keys the field does not use go on to the window.
    EXPECT_FALSE(edit.KeyDown(kReturn, 0));
    EXPECT_FALSE(edit.KeyDown(kTab, 0));
}

// A paste of megabytes stops at the limit, so that key presses stay quick; what
// is already in the field can still be replaced and deleted.
TEST_F(EditTest, TypingAndPastingStopAtTheLimit) {
    const std::size_t limit = TEdit::kTypedLimit;
    edit.SetText("");
    platform.SetClipboardText("Ann" + std::string(4 * 1024 * 1024, 'x') + "\nsecond line");
    Key('v', kmCtrl);
    EXPECT_EQ(edit.Text().size(), limit);
    EXPECT_EQ(edit.Text().substr(0, 4), "Annx");
    EXPECT_EQ(edit.CaretPos(), static_cast<int>(limit));
    EXPECT_EQ(changes, 1);
    edit.TextInput("y");
    EXPECT_EQ(edit.Text().size(), limit) << "nothing more is typed";
    EXPECT_EQ(changes, 1);

    Key(kHome);
    Key(kRight, kmShift);
    Key(kRight, kmShift);
    platform.SetClipboardText("Bob");
    Key('v', kmCtrl);
    EXPECT_EQ(edit.Text().substr(0, 5), "Bonxx") << "two selected characters make room for two of three";
    EXPECT_EQ(edit.Text().size(), limit);
    Key(kBackspace);
    EXPECT_EQ(edit.Text().substr(0, 4), "Bnxx");
    edit.TextInput("ob");
    EXPECT_EQ(edit.Text().substr(0, 5), "Bonxx") << "room for one again";
    EXPECT_EQ(edit.Text().size(), limit);

    edit.SetText(std::string(limit + 10, 'z'));
    EXPECT_EQ(edit.Text().size(), limit + 10) << "text from code is not cut";
}

// A pasted line is converted in pieces of 64 KiB up to the limit; a character
// on a piece's edge, dropped bytes before it, or a line longer than the limit
// give what converting the whole line would.
TEST_F(EditTest, APasteConvertedInPiecesIsTheWholeLineConverted) {
    const auto controls = [](std::size_t n) { return std::string(n, '\x01'); };
    struct Case {
        const char* what;
        std::string clipboard;
        std::string pasted;
    };
    std::string accents;
    for (int i = 0; i < 40000; ++i) accents += "\xC3\xA9";
    const Case cases[] = {
        {"two bytes across the edge", controls(65535) + "\xC3\xA9xyz\r\nnext", "\xE9xyz"},
        {"three bytes across the edge", controls(65534) + "\xE2\x82\xAC!", "\x80!"},
        {"four bytes across the edge, no such letter", controls(65533) + "\xF0\x9F\x98\x80z", "z"},
        {"stray continuation bytes on the edge", controls(65535) + "\x80\x80q", "q"},
        {"two-byte letters past the limit", accents, std::string(TEdit::kTypedLimit, '\xE9')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        edit.SetText("");
        platform.SetClipboardText(c.clipboard);
        Key('v', kmCtrl);
        EXPECT_EQ(edit.Text(), c.pasted);
    }
}

TEST_F(EditTest, TheCaretStaysInViewOfALongText) {
    edit.SetText("");
    Key(kEnd);
    for (int i = 0; i < 40; ++i) edit.TextInput("W");
    EXPECT_GT(edit.ScrollOffset(), 0);
    const int caretX = CaretOffset(edit.Text(), edit.Font(), edit.CaretPos()) - edit.ScrollOffset();
    EXPECT_GE(caretX, 0);
    EXPECT_LE(caretX, edit.Width() - 6);
    Key(kHome);
    EXPECT_EQ(edit.ScrollOffset(), 0);
}

TEST_F(EditTest, TypedThroughTheWindowOnceClickedIntoAndEnterPressesTheDefault) {
    TButton start(form, "Button1");
    start.SetTabOrder(6);
    start.SetBounds(20, 60, 99, 33);
    start.SetDefault(true);
    start.SetEnabled(false);
    int presses = 0;
    start.OnClick = [&](SceneElement&) { ++presses; };
    edit.OnChange = [&](SceneElement&) {
        ++changes;
        start.SetEnabled(true);
    };
    Start();
    platform.Type("x");
    Run();
    EXPECT_TRUE(strip.Focused());
    EXPECT_EQ(edit.Text(), "Enter a name") << "no focus yet";

    platform.Click(150, 30);
    platform.Key(kReturn);
    platform.Key(kEnd);
    platform.Type("d");
    Run();
    EXPECT_TRUE(edit.Focused());
    EXPECT_EQ(presses, 0) << "the default button was disabled";
    EXPECT_EQ(edit.Text(), "Enter a named");
    platform.Key(kReturn);
    Run();
    EXPECT_EQ(presses, 1);
}

TEST_F(EditTest, FocusFromTheKeyboardSelectsTheWholeTextAndAClickPlacesTheCaret) {
    Start();
    platform.Key(kTab);  // from the strip, which took the first focus
    Run();
    ASSERT_TRUE(edit.Focused());
    EXPECT_EQ(edit.SelStart(), 0);
    EXPECT_EQ(edit.SelLength(), 12) << "expected \"Enter a name\" selected";
    platform.Type("x");
    Run();
    EXPECT_EQ(edit.Text(), "x") << "typing replaces the selected text";

    platform.Key(kTab, kmShift);
    platform.Click(22 + 4, 33);  // just right of the field's first letter
    Run();
    ASSERT_TRUE(edit.Focused());
    EXPECT_EQ(edit.SelLength(), 0) << "a click selects nothing";
    EXPECT_EQ(edit.CaretPos(), 1);
}

TEST_F(EditTest, DrawnSunkenOnWhiteWithACaretWhileFocused) {
    edit.SetText("");
    Start();
    const TestFrame unfocused = Compose();
    EXPECT_EQ(unfocused.CountNot({23, 23, 131, 20}, Px(clWhite)), 0);
    EXPECT_NE(unfocused.At(20, 30), Px(clWhite)) << "the edge";
    form.SetFocus(&edit);
    const TestFrame focused = Compose();
    EXPECT_GT(focused.Count({22, 22, 6, 22}, Dark), 5) << "a caret at the left";

    edit.SetText("Bob");
    form.SetFocus(nullptr);
    const TestFrame text = Compose();
    EXPECT_GT(text.Count({23, 23, 40, 20}, Dark), 10);
    EXPECT_EQ(text.Count({70, 23, 80, 20}, Dark), 0);
}
