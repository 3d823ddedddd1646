#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/Fonts.h"
#include "scene/Painter.h"

using namespace scene;

namespace {

TFont Trebuchet(int height, unsigned style = 0) {
    TFont f;
    f.Name = "Trebuchet MS";
    f.Height = height;
    f.Style = style;
    f.Charset = ANSI_CHARSET;
    return f;
}

}  // namespace

TEST(FontMatching, MissingFacesGoToMeasuredStandIns) {
    EXPECT_EQ(StandInFamily("Trebuchet MS"), "PT Sans");
    EXPECT_EQ(StandInFamily("MS Sans Serif"), "Liberation Sans");
    EXPECT_EQ(StandInFamily("Default"), "Liberation Sans");
    EXPECT_EQ(StandInFamily("DejaVu Serif"), "DejaVu Serif");
    // The stand-ins must really be installed, or fontconfig would quietly pick another face.
    EXPECT_EQ(LoadedFamily(Trebuchet(-24, fsBold)), "PT Sans");
    TFont sans;
    EXPECT_EQ(LoadedFamily(sans), "Liberation Sans");
}

TEST(FontMatching, NegativeHeightIsTheEmAndPositiveTheCell) {
    for (int em : {11, 13, 24, 32, 48}) {
        const TFont f = Trebuchet(-em, fsBold);
        EXPECT_DOUBLE_EQ(MatchFont(f).emPixels, em);
        const FontMetrics& m = MetricsOf(f);
        EXPECT_EQ(m.cellHeight - m.internalLeading, em) << "em " << em;
        EXPECT_GT(m.internalLeading, 0) << "em " << em;
    }
    for (int cell : {16, 29, 40}) {
        const FontMetrics& m = MetricsOf(Trebuchet(cell));
        EXPECT_LE(std::abs(m.cellHeight - cell), 1) << "expected a cell of " << cell << ", got " << m.cellHeight;
        EXPECT_LT(MatchFont(Trebuchet(cell)).emPixels, cell);
    }
    EXPECT_EQ(MatchFont(Trebuchet(-24, fsBold)).weight, 700);
    EXPECT_EQ(MatchFont(Trebuchet(-24)).weight, 400);
}

TEST(TextMeasure, OneLineIsOneCellHighAndBoldIsWider) {
    const TFont regular = Trebuchet(-24);
    const TFont bold = Trebuchet(-24, fsBold);
    const TextSize r = MeasureText("Time 30 $", regular, true);
    const TextSize b = MeasureText("Time 30 $", bold, true);
    EXPECT_LE(std::abs(r.height - MetricsOf(regular).cellHeight), 1) << "got height " << r.height;
    EXPECT_GT(b.width, r.width);
    EXPECT_GT(MeasureText("Time 300 $", bold, true).width, b.width);
}

TEST(TextMeasure, StatusTimeTextFitsItsLabel) {
    // The time text of the status line lies in a fixed 177-pixel label.
    const TextSize s = MeasureText("Time:  60 s", Trebuchet(-32, fsBold), true);
    RecordProperty("TimeTextWidth", s.width);
    EXPECT_LE(s.width, 177) << "\"Time:  60 s\" is " << s.width << " pixels wide";
    EXPECT_GT(s.width, 100);
}

TEST(TextMeasure, EmptyTextIsOneSpace) {
    const TFont f = Trebuchet(-32, fsBold);
    const TextSize empty = MeasureText("", f, true);
    const TextSize space = MeasureText(" ", f, true);
    EXPECT_EQ(empty.width, space.width);
    EXPECT_EQ(empty.height, space.height);
    EXPECT_GT(empty.width, 0);
    EXPECT_EQ(empty.height, MeasureText("8", f, true).height);
}

TEST(TextMeasure, AmpersandsFollowShowAccelChar) {
    const TFont f = Trebuchet(-16, fsBold);
    EXPECT_EQ(MeasureText("&Start!", f, true).width, MeasureText("Start!", f, true).width);
    EXPECT_GT(MeasureText("&Start!", f, false).width, MeasureText("Start!", f, false).width);
    EXPECT_EQ(MeasureText("A&&B", f, true).width, MeasureText("A&B", f, false).width);
}

TEST(TextMeasure, LineBreaksAndWrapping) {
    const TFont f = Trebuchet(-16);
    const int line = MeasureText("x", f, false).height;
    EXPECT_EQ(MeasureText("one\r\ntwo", f, false).height, 2 * line);
    EXPECT_EQ(MeasureText("one\ntwo\nthree", f, false).height, 3 * line);

    const int wide = MeasureText("alpha beta gamma", f, false).width;
    EXPECT_EQ(MeasureText("alpha beta gamma", f, false).height, line);
    const TextSize wrapped = MeasureText("alpha beta gamma", f, false, wide / 2);
    EXPECT_GE(wrapped.height, 2 * line);
    EXPECT_LE(wrapped.width, wide / 2);
}

TEST(TextMeasure, TabsStopAtEveryEighthAverageCharacter) {
    const TFont f = Trebuchet(-16);
    const int stop = 8 * AverageCharWidth(f);
    const int x = MeasureText("x", f, false).width;
    EXPECT_EQ(MeasureText("\tx", f, false).width, stop + x);
    EXPECT_EQ(MeasureText("ab\tx", f, false).width, stop + x);
    EXPECT_EQ(MeasureText("\t\tx", f, false).width, 2 * stop + x);
    EXPECT_EQ(MeasureText("\t\t\t\tx", f, false).width, 4 * stop + x);
}

TEST(Caret, OffsetsGrowWithTheTextAndMapBack) {
    const TFont f = Trebuchet(-12, fsBold);
    const std::string text = "Enter a name";
    EXPECT_EQ(CaretOffset(text, f, 0), 0);
    int previous = 0;
    for (int i = 1; i <= static_cast<int>(text.size()); ++i) {
        const int x = CaretOffset(text, f, i);
        EXPECT_GT(x, previous) << "index " << i;
        EXPECT_EQ(CaretIndexAt(text, f, x), i) << "index " << i;
        previous = x;
    }
    EXPECT_EQ(CaretOffset(text, f, static_cast<int>(text.size())), MeasureText(text, f, false).width);
    EXPECT_EQ(CaretIndexAt(text, f, -20), 0);
    EXPECT_EQ(CaretIndexAt(text, f, 5000), static_cast<int>(text.size()));
    // Bytes above 0x7F are one character each, two bytes in UTF-8.
    const std::string accented = "caf\xE9s";
    EXPECT_GT(CaretOffset(accented, f, 4), CaretOffset(accented, f, 3));
    EXPECT_EQ(CaretIndexAt(accented, f, CaretOffset(accented, f, 4)), 4);
}
