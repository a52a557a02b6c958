#pragma once
// Small text helpers shared by the whole code base. Texts are UTF-8; these
// only look at ASCII, so multi-byte characters pass through untouched.

#include <string>
#include <string_view>

namespace kv {

// Drops control characters and blanks (bytes up to ' ') at both ends.
std::string_view trimBlanks(std::string_view text);

// ASCII letters in upper case, everything else unchanged.
std::string upperAscii(std::string_view text);
// ASCII letters in lower case, everything else unchanged.
std::string lowerAscii(std::string_view text);

// The text between two quote characters, each quote inside it doubled: an
// SQL literal with '\'', an SQL identifier with '"'.
std::string quotedWith(std::string_view text, char quote);

} // namespace kv
