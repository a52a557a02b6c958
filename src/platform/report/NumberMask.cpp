#include "platform/report/NumberMask.h"

#include "platform/Variant.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace kv {

namespace {

struct Section {
    std::string prefix;
    std::string suffix;
    int integerZeros = 0; // digits always printed before the point
    int decimalZeros = 0; // digits always printed after the point
    int decimals = 0;     // digits at most after the point
    bool grouping = false;
};

std::vector<std::string> splitSections(std::string_view mask)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (const char c : mask) {
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

Section parseSection(std::string_view text)
{
    Section section;
    bool inDigits = false;
    bool afterDigits = false;
    bool afterPoint = false;
    char quote = 0;
    for (const char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                (afterDigits ? section.suffix : section.prefix) += c;
            continue;
        }
        const bool placeholder = c == '0' || c == '#' || ((c == '.' || c == ',') && !afterDigits);
        if (c == '"' || c == '\'') {
            quote = c;
            afterDigits = afterDigits || inDigits;
        } else if (placeholder) {
            inDigits = true;
            if (c == '.')
                afterPoint = true;
            else if (c == ',')
                section.grouping = section.grouping || !afterPoint;
            else if (afterPoint)
                ++section.decimals, section.decimalZeros += c == '0' ? 1 : 0;
            else
                section.integerZeros += c == '0' ? 1 : 0;
        } else {
            afterDigits = afterDigits || inDigits;
            (afterDigits ? section.suffix : section.prefix) += c;
        }
    }
    // "0.0#" keeps one decimal at least, at most two; zeros after a "#" still count.
    section.decimalZeros = std::min(section.decimalZeros, section.decimals);
    return section;
}

std::string groupThousands(const std::string &digits)
{
    std::string grouped;
    const std::size_t count = digits.size();
    for (std::size_t index = 0; index < count; ++index) {
        if (index > 0 && (count - index) % 3 == 0)
            grouped += ',';
        grouped += digits[index];
    }
    return grouped;
}

// The magnitude rounded half away from zero, as integer and decimal digits.
std::pair<std::string, std::string> digitsOf(double magnitude, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // The small nudge makes 2.675 with two decimals round up as written, not as stored.
    const double rounded = std::floor(magnitude * scale + 0.5 + 1e-9) / scale;
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    const std::string text = buffer;
    const std::size_t point = text.find('.');
    if (point == std::string::npos)
        return {text, ""};
    return {text.substr(0, point), text.substr(point + 1)};
}

std::string formatSection(const Section &section, double magnitude, bool negative)
{
    auto [integer, decimals] = digitsOf(magnitude, section.decimals);
    const bool zero = integer.find_first_not_of('0') == std::string::npos &&
                      decimals.find_first_not_of('0') == std::string::npos;
    while (integer.size() > 1 && integer[0] == '0')
        integer.erase(0, 1);
    if (integer == "0" && section.integerZeros == 0)
        integer.clear();
    while (int(integer.size()) < section.integerZeros)
        integer.insert(0, 1, '0');
    while (int(decimals.size()) > section.decimalZeros && !decimals.empty() && decimals.back() == '0')
        decimals.pop_back();
    std::string body = section.grouping ? groupThousands(integer) : integer;
    if (!decimals.empty())
        body += '.' + decimals;
    const std::string sign = negative && !zero ? "-" : "";
    return sign + section.prefix + body + section.suffix;
}

} // namespace

std::string formatNumberMask(std::string_view mask, double value)
{
    if (mask.empty() || !std::isfinite(value))
        return Variant(value).toText();
    const std::vector<std::string> sections = splitSections(mask);
    const bool negative = value < 0;
    const double magnitude = std::abs(value);
    if (sections.size() >= 3 && !sections[2].empty()) {
        const Section positive = parseSection(sections[0]);
        if (formatSection(positive, magnitude, false) == formatSection(positive, 0.0, false))
            return formatSection(parseSection(sections[2]), 0.0, false);
    }
    if (negative && sections.size() >= 2 && !sections[1].empty())
        return formatSection(parseSection(sections[1]), magnitude, false);
    return formatSection(parseSection(sections[0]), magnitude, negative);
}

} // namespace kv
