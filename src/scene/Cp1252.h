// Windows-1252, the code page the game keeps its text in, to and from UTF-8.
// The game's strings stay in Windows-1252 bytes; UTF-8 exists only at the edges:
// text handed to Pango for display, and characters typed by the player.
#pragma once

#include <string>
#include <string_view>

namespace scene {

// Every byte maps to one code point. The five bytes Windows leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte for a code point, or -1 when Windows-1252 cannot hold it.
int UnicodeToCp1252(char32_t codePoint);

std::string Cp1252ToUtf8(std::string_view cp1252);

// Characters Windows-1252 cannot hold, and malformed UTF-8, are dropped.
std::string Utf8ToCp1252(std::string_view utf8);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace scene
