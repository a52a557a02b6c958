#pragma once
// Number masks of the report's data texts and expressions, in the notation
// the layouts store: "0" a digit that is always printed, "#" a digit printed
// when significant, "." the decimal point, "," anywhere before it turns on
// thousands grouping, text in quotes and other characters before or after
// the digits printed as they stand. Up to three sections separated by ";"
// serve positive, negative and zero values ("#,##0.00;(#,##0.00);-").
// Rounding is half away from zero.

#include <string>
#include <string_view>

namespace kv {

// An empty mask gives the shortest text of the number ("1234.5").
std::string formatNumberMask(std::string_view mask, double value);

} // namespace kv
