#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <string>

#include "FormSupport.h"
#include "scene/Painter.h"
#include "scene/TButton.h"
#include "scene/TMemo.h"

using namespace scene;
using painttest::Dark;
using painttest::Px;
using painttest::TestFrame;

namespace {

class MemoTest : public painttest::FormTest {
protected:
    MemoTest() {
        memo.SetBounds(10, 10, 200, 150);
        memo.SetFont(painttest::TrebuchetBold(-16));
    }

    using Lines = std::vector<std::string>;
    TMemo memo{form, "Memo1"};
};

}  // namespace

TEST_F(MemoTest, LinesAddClearAndSet) {
    EXPECT_TRUE(memo.Lines().empty());
    EXPECT_EQ(memo.Width(), 200);
    memo.AddLine("");
    memo.AddLine("Welcome");
    EXPECT_EQ(memo.Lines(), (Lines{"", "Welcome"})) << "an empty first line stays first";
    memo.Clear();
    EXPECT_TRUE(memo.Lines().empty()) << "a cleared panel has no lines";
    memo.AddLine("1000 Bob");
    EXPECT_EQ(memo.Lines(), (Lines{"1000 Bob"}));
    memo.SetLines({"a", "b"});
    EXPECT_EQ(memo.Lines(), (Lines{"a", "b"}));
}

TEST_F(MemoTest, EnterBreaksTheLineAtTheCaret) {
    memo.SetLines({"hello"});
    memo.SetCaret(0, 2);
    EXPECT_TRUE(memo.KeyDown(kReturn, 0));
    EXPECT_EQ(memo.Lines(), (Lines{"he", "llo"}));
    EXPECT_EQ(memo.CaretLine(), 1);
    EXPECT_EQ(memo.CaretColumn(), 0);
    memo.KeyDown(kEnd, 0);
    memo.KeyDown(kReturn, 0);
    EXPECT_EQ(memo.Lines(), (Lines{"he", "llo", ""}));
}

TEST_F(MemoTest, TypingAndDeletingAtTheCaret) {
    memo.TextInput("Hi");  // into a panel with no lines
    EXPECT_EQ(memo.Lines(), (Lines{"Hi"}));
    memo.TextInput("\xC3\xA9\x01");
    EXPECT_EQ(memo.Lines(), (Lines{"Hi\xE9"}));
    memo.KeyDown(kReturn, 0);
    memo.TextInput("x");
    memo.KeyDown(kHome, 0);
    memo.KeyDown(kBackspace, 0);  // at the start of a line: joins it to the one above
    EXPECT_EQ(memo.Lines(), (Lines{"Hi\xE9x"}));
    EXPECT_EQ(memo.CaretColumn(), 3);
    memo.KeyDown(kBackspace, 0);
    EXPECT_EQ(memo.Lines(), (Lines{"Hix"}));
    memo.KeyDown(kDelete, 0);
    EXPECT_EQ(memo.Lines(), (Lines{"Hi"}));
    memo.KeyDown(kLeft, 0);
    memo.KeyDown(kLeft, 0);
    memo.KeyDown(kLeft, 0);
    EXPECT_EQ(memo.CaretColumn(), 0);
    EXPECT_FALSE(memo.KeyDown(kTab, 0)) << "Tab moves the focus on";
}

TEST_F(MemoTest, EnterInThePanelPressesNoButton) {
    TButton button(form, "Button1");
    button.SetDefault(true);
    button.SetBounds(250, 10, 60, 25);
    int presses = 0;
    button.OnClick = [&](SceneElement&) { ++presses; };
    memo.AddLine("");
    Start();
    platform.Click(100, 100);
    platform.Key(kReturn);
    Run();
    EXPECT_TRUE(memo.Focused());
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(memo.Lines().size(), 2u);
}

TEST_F(MemoTest, LongLinesWrapAtTheWidthAndTheGroundIsWhite) {
    memo.AddLine("");
    memo.AddLine("Move the pointer onto the black squares and the green circle.");
    Start();
    ASSERT_TRUE(memo.Focused()) << "the only control takes the first focus";
    memo.SetCaret(0, 0);
    const TestFrame focused = Compose();
    form.SetFocus(nullptr);
    const TestFrame f = Compose();
    const int line = MeasureText("x", memo.Font(), false).height;
    // The first line is empty; the long one starts on the second and wraps onto more.
    EXPECT_EQ(f.Count({14, 13, 190, line - 2}, Dark), 0);
    EXPECT_GT(f.Count({14, 12 + line, 190, line}, Dark), 10);
    EXPECT_GT(f.Count({14, 12 + 2 * line, 190, line}, Dark), 10);
    EXPECT_EQ(f.Count({210, 10, 110, 150}, Dark), 0) << "nothing right of the panel";
    EXPECT_EQ(f.At(100, 150), Px(clWhite));
    EXPECT_NE(f.At(10, 100), Px(clWhite)) << "the sunken edge";
    const int line1 = 12;  // the caret stands at the start of the empty first line
    EXPECT_GE(focused.Count({14, line1, 2, line}, Dark), line - 4);
    EXPECT_EQ(f.Count({14, line1, 2, line}, Dark), 0);
}

TEST_F(MemoTest, TextBelowThePanelIsCut) {
    memo.SetBounds(10, 10, 200, 40);
    for (int i = 0; i < 10; ++i) memo.AddLine("Line");
    Start();
    const TestFrame f = Compose();
    EXPECT_GT(f.Count({12, 12, 196, 36}, Dark), 0);
    EXPECT_EQ(f.Count({0, 50, 320, 150}, Dark), 0);
}

TEST_F(MemoTest, AWordWiderThanThePanelBreaksInsideIt) {
    memo.AddLine(std::string(60, 'W'));
    Start();
    form.SetFocus(nullptr);
    const TestFrame f = Compose();
    const int line = MeasureText("x", memo.Font(), false).height;
    EXPECT_GT(f.Count({14, 12, 190, line}, Dark), 10);
    EXPECT_GT(f.Count({14, 12 + line, 190, line}, Dark), 10) << "the rest of the word goes on the next line";
    EXPECT_EQ(f.Count({210, 10, 110, 150}, Dark), 0) << "nothing right of the panel";
}

namespace {

// This thread's processor time: what the work cost, whatever else runs beside it.
double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

TEST_F(MemoTest, WrappingALineWithoutSpacesCostsInProportionToItsLength) {
    const int width = 881;  // the introduction panel's text width
    // Each text is new to the layout cache, so each is laid out afresh.
    char letter = 'a';
    const auto cost = [&](int length) {
        double best = 1e9;
        for (int i = 0; i < 2; ++i) {
            const std::string line(static_cast<std::size_t>(length), letter++);
            const double start = ThreadCpuSeconds();
            MeasureText(line, memo.Font(), false, width);
            best = std::min(best, ThreadCpuSeconds() - start);
        }
        return best;
    };
    cost(1000);  // fonts loaded and caches warm
    const double shortLine = cost(10000);
    const double longLine = cost(80000);
    // Eight times the length: about eight times the cost, where a cost growing with
    // the square of the length would be sixty-four times.
    EXPECT_LT(longLine, 24 * shortLine) << "expected 80 000 letters to cost under 24 times what 10 000 cost, got "
                                        << longLine << " s against " << shortLine << " s";
    const TextSize wrapped = MeasureText(std::string(80000, 'x'), memo.Font(), false, width);
    EXPECT_LE(wrapped.width, width);
    EXPECT_GT(wrapped.height, 100 * MeasureText("x", memo.Font(), false).height);
}

// Whatever a file holds reaches the panel: control bytes as their pictures, and a
// NUL cuts nothing off; a megabyte line shows as its first rows do and costs no more.
TEST_F(MemoTest, BinaryBytesShowAndAMegabyteLineShowsItsFirstRows) {
    form.SetFocus(nullptr);
    auto inkOf = [this](const std::string& line) {
        memo.SetLines({line});
        return Compose().Count({12, 12, 196, 146}, Dark);
    };
    const int ab = inkOf("ab");
    EXPECT_GT(inkOf(std::string("ab\0", 3)), ab) << "the NUL shows";
    EXPECT_GT(inkOf(std::string("ab\0WWW", 6)), inkOf(std::string("ab\0", 3))) << "what follows the NUL shows";
    EXPECT_GT(inkOf("ab\x01\x1A\x7F"), ab);

    std::string huge;
    for (int i = 0; huge.size() < 1000000; ++i) huge += "word" + std::to_string(i % 10) + " ";
    memo.SetLines({huge});
    const TestFrame all = Compose();
    memo.SetLines({huge.substr(0, 4000)});
    EXPECT_TRUE(Compose().SameAs(all)) << "expected the megabyte line to show as its first 4000 bytes do";
}
