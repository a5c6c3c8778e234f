#pragma once
// The single-byte ANSI code page of the program's files and registry texts (Windows-1252). The
// program's own texts are UTF-8; song files and registry data are bytes in this code page.

#include <string>
#include <string_view>

namespace platform {

// Bytes in the code page -> UTF-8. Every byte has a character, so nothing is lost.
std::string FromAnsiCodePage(std::string_view bytes);

// UTF-8 -> bytes in the code page. A character the code page lacks, or a broken UTF-8 sequence,
// becomes "?".
std::string ToAnsiCodePage(std::string_view utf8);

}  // namespace platform
