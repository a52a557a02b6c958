#pragma once
// Conversion between UTF-8, which all text inside the program is, and the
// legacy Chinese encodings found in files written by older installations.
// Only used at the edge: when a file is declared or detected to be legacy.

#include <optional>
#include <string>
#include <string_view>

namespace kv {

bool isValidUtf8(std::string_view bytes);

// Decodes bytes in the named encoding (an iconv name: "GB18030", "BIG5")
// into UTF-8; nothing when the bytes are not valid in that encoding.
std::optional<std::string> decodeToUtf8(std::string_view bytes, const char *encoding);

// Encodes UTF-8 text into the named encoding; nothing when a character has no
// place in it.
std::optional<std::string> encodeFromUtf8(std::string_view text, const char *encoding);

// Text of a settings or language file: UTF-8 as it is (a byte-order mark is
// dropped), otherwise read as GB18030, the superset of code page 936.
std::optional<std::string> decodeSettingsText(std::string_view bytes);

} // namespace kv
