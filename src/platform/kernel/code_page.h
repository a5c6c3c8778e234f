#pragma once
// The single-byte ANSI code page of the program's files and registry texts (Windows-1252). The
// program's own texts are UTF-8; song files and registry data are bytes in this code page.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Bytes in the code page -> UTF-8. Every byte has a character, so nothing is lost.
std::string FromAnsiCodePage(std::string_view bytes);

// UTF-8 -> bytes in the code page. A character the code page lacks, or a broken UTF-8 sequence,
// becomes "?".
std::string ToAnsiCodePage(std::string_view utf8);

// The characters of `utf8` that ToAnsiCodePage turns into "?", each once, in the order they first
// appear; a broken UTF-8 sequence counts as U+FFFD.
std::vector<char32_t> MissingFromAnsiCodePage(std::string_view utf8);

// One character as UTF-8.
std::string Utf8Of(char32_t c);

// Whether a character shows as a mark of its own on screen: not a blank, a control or format
// character, an accent that sits on its neighbour, or a code point with no character.
bool IsVisibleCharacter(char32_t c);

}  // namespace platform
