#pragma once
// The module's library of small text helpers: tokens, padding, rounding and
// comparison of reals, text of variant data from older installations,
// message-box captions and the alert-log line writer. Date texts and SQL
// condition texts live in their own units and are included here, so that a
// caller includes this one header. None of these functions keeps state.
//
// All text is UTF-8. Widths and "first character" mean characters (code
// points), not bytes; token and replace functions match bytes exactly, which
// is safe in UTF-8 because a character's bytes never match inside another.

#include "lib/DateText.h"
#include "lib/SqlConditions.h"
#include "platform/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// text with pad characters (code padCharCode, a blank by default) put in
// front until it is width characters long; longer text is returned whole.
std::string PadL(std::string_view text, int width, char32_t padCharCode = U' ');

// The index-th (1-based) token of text split at separator; empty when there
// are fewer tokens or index < 1.
std::string GetToken(std::string_view text, std::string_view separator, int index);
// Number of tokens: separators found plus one; 0 for an empty text.
int NumToken(std::string_view text, std::string_view separator);
// The text before the first separator; text keeps what follows it. Without a
// separator the whole text is returned and text is emptied.
std::string CutToken(std::string &text, std::string_view separator);

// Decimal text of value with at least width digits, zero-filled on the left.
std::string ZeroATfirst(std::int64_t value, int width);

// A copy of whenTrue when condition holds, else of whenFalse.
Variant IIF(bool condition, const Variant &whenTrue, const Variant &whenFalse);
// True when the variant is unassigned or null.
bool IsVarEmptyOrNull(const Variant &value);

// Replaces every oldText by newText, searching again from the start after
// each replacement (so a replacement that forms a new occurrence is replaced
// too); nothing is replaced when the two are equal ignoring case. Trims blanks
// at both ends when trimResult.
std::string SwapStr(std::string_view text, std::string_view oldText, std::string_view newText, bool trimResult);

// x rounded to decimals places (0 to 30), halves away from zero (2.5 -> 3,
// 1.005 -> 1.01).
double RoundFloat(double x, int decimals);
// The value as fixed text with exactly `decimals` places, halves rounded away
// from zero on its shortest decimal form (the rounding RoundFloat uses).
std::string RoundedDecimalText(double value, int decimals);
// The value as the shell's float-to-text wrote it: up to 15 significant
// digits, no trailing zeros ("12.5", "1e+20").
std::string FloatText(double value);
// 0 when a and b agree to within 1e-10 once read at 15 significant digits,
// else 1 when a > b and -1 when a < b.
int CompareFloat(double a, double b);
// The value of text in fixed notation with "." as decimal point, whatever
// the locale; defaultValue when text is not such a number.
double FloatOrDefault(std::string_view text, double defaultValue);

// True for the loopback address "127.0.0.1" (the embedded server).
bool IsLocalAddress(std::string_view address);

// Appends "[yyyy/mm/dd hh:nn:ss:zzz] message" to the alert log
// "Alert_<name>_<stamp>" in the log folder, the stamp being the year
// (period "Y"), year and month ("M") or the day (any other period); ".log"
// is added when name has no full stop. False when it cannot be written.
bool WriteToAlertFile(std::string_view name, std::string_view message, std::string_view period);

// Every text in value (arrays walked over all their elements, nested arrays
// too) made valid UTF-8. Text is UTF-8 already and stays as it is; only bytes
// that are not valid UTF-8 come from an older installation and are read in
// codePage (936 GB18030, 950 Big5), failing that in the system code page.
Variant KVStrToWideString(const Variant &value, int codePage);

// text, chr(3), the item count values[0], chr(3), then values[1..n] each
// followed by chr(3): the packed form a list travels in to the server.
std::string BLVariantToWideString(std::string_view text, const Variant &values);

// The Chinese caption of a message-box button ("Yes" -> "是(&Y)"); any other
// caption is returned unchanged.
std::string GetCHTButtonCaption(std::string_view caption);

} // namespace kv
