#include <gtest/gtest.h>

#include "scene/Cp1252.h"

using namespace scene;

TEST(Cp1252, AsciiAndLatin1PassThrough) {
    EXPECT_EQ(Cp1252ToUtf8("Enter a name"), "Enter a name");
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(Cp1252ToUtf8("\xFF"), "\xC3\xBF");
}

TEST(Cp1252, TheWindowsRangeMapsToItsOwnCharacters) {
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");                      // euro sign
    EXPECT_EQ(Cp1252ToUtf8("\x93Hi\x94"), "\xE2\x80\x9CHi\xE2\x80\x9D");  // curly quotes
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5"), "\x80 5");
    EXPECT_EQ(Utf8ToCp1252("\xC5\xA0"), "\x8A");  // S with caron
    EXPECT_EQ(UnicodeToCp1252(0x2122), 0x99);
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, WhatTheCodePageCannotHoldIsDropped) {
    EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD"
                           "b"),
              "ab");                                      // a CJK character
    EXPECT_EQ(Utf8ToCp1252("x\xF0\x9F\x98\x80y"), "xy");  // an emoji
    EXPECT_EQ(Utf8ToCp1252("\xCE\xA9"), "");              // Greek omega
    EXPECT_EQ(UnicodeToCp1252(0x3A9), -1);
    // Broken UTF-8 is skipped, not copied.
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a");
    EXPECT_EQ(Utf8ToCp1252("a\x80"
                           "b"),
              "ab");
    // So are overlong forms, which would otherwise pass for plain characters.
    EXPECT_EQ(Utf8ToCp1252("a\xC0\xAF"
                           "b"),
              "ab");                                  // "/" in two bytes
    EXPECT_EQ(Utf8ToCp1252("\xC0\x80"), "");          // NUL in two bytes
    EXPECT_EQ(Utf8ToCp1252("\xE0\x83\xA9"), "");      // e acute in three bytes
    EXPECT_EQ(Utf8ToCp1252("\xF0\x80\x82\xAC"), "");  // euro sign in four bytes
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");  // its proper form still counts
}
