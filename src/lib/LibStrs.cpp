#include "lib/LibStrs.h"

#include "platform/TextUtil.h"

#include "lib/AlertLog.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"
#include "platform/TextCodec.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <utility>

namespace kv {

namespace {

constexpr char kListSeparator = '\x03';


std::size_t characterCount(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

std::string utf8Of(char32_t code)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        throw std::invalid_argument("PadL: " + std::to_string(std::uint32_t(code)) + " is not a character code");
    const QString character = QString::fromUcs4(&code, 1);
    return character.toStdString();
}

// A real read back from its text at 15 significant digits, the digits a
// double holds reliably: 0.1 + 0.2 becomes 0.3 again.
double atFifteenDigits(double value)
{
    if (!std::isfinite(value))
        return value;
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    double result = value;
    std::from_chars(buffer, written.ptr, result);
    return result;
}

// Code page number to the iconv name of its encoding. 936 is read as
// GB18030, its superset, so every byte sequence GBK wrote decodes.
std::string encodingOf(int codePage)
{
    switch (codePage) {
    case 936: return "GB18030";
    case 950: return "BIG5";
    case 65001: return "UTF-8";
    default: return "CP" + std::to_string(codePage);
    }
}

// One text made valid UTF-8 (see KVStrToWideString).
std::string legacyToUtf8(const std::string &bytes, int codePage)
{
    if (isValidUtf8(bytes))
        return bytes;
    for (int page : {codePage, SystemInfo::ansiCodePage()}) {
        const std::optional<std::string> decoded = decodeToUtf8(bytes, encodingOf(page).c_str());
        if (decoded && !decoded->empty())
            return *decoded;
    }
    // Neither code page fits: keep what is readable and mark the rest with
    // replacement characters rather than pass invalid UTF-8 on.
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).toStdString();
}

void convertInPlace(Variant &value, int codePage)
{
    Variant &target = value.deref();
    if (target.isArray()) {
        for (Variant &element : target.array().items())
            convertInPlace(element, codePage);
    } else if (target.isText()) {
        target = Variant(legacyToUtf8(target.toText(), codePage));
    }
}

} // namespace

std::string PadL(std::string_view text, int width, char32_t padCharCode)
{
    const std::size_t length = characterCount(text);
    if (width <= 0 || length >= std::size_t(width))
        return std::string(text);
    const std::string pad = utf8Of(padCharCode);
    std::string result;
    for (std::size_t i = length; i < std::size_t(width); ++i)
        result += pad;
    return result.append(text);
}

std::string GetToken(std::string_view text, std::string_view separator, int index)
{
    if (index < 1)
        return {};
    int number = 0;
    std::string_view token;
    bool found = true;
    while (found && number < index) {
        const std::size_t at = separator.empty() ? std::string_view::npos : text.find(separator);
        found = at != std::string_view::npos;
        token = text.substr(0, found ? at : text.size());
        text.remove_prefix(found ? at + separator.size() : text.size());
        ++number;
    }
    return number < index ? std::string() : std::string(token);
}

int NumToken(std::string_view text, std::string_view separator)
{
    if (text.empty())
        return 0;
    int count = 1;
    if (separator.empty())
        return count;
    // Searching on one character past each find counts overlapping
    // separators, as masking the found separator's first character would.
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, at + 1))
        ++count;
    return count;
}

std::string CutToken(std::string &text, std::string_view separator)
{
    const std::size_t at = separator.empty() ? std::string::npos : text.find(separator);
    if (at == std::string::npos)
        return std::exchange(text, std::string());
    std::string token = text.substr(0, at);
    text.erase(0, at + separator.size());
    return token;
}

std::string ZeroATfirst(std::int64_t value, int width)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%.*lld", std::clamp(width, 0, 64), static_cast<long long>(value));
    return buffer;
}

Variant IIF(bool condition, const Variant &whenTrue, const Variant &whenFalse)
{
    return condition ? whenTrue : whenFalse;
}

bool IsVarEmptyOrNull(const Variant &value)
{
    return value.deref().isEmptyOrNull();
}

std::string SwapStr(std::string_view text, std::string_view oldText, std::string_view newText, bool trimResult)
{
    std::string result(text);
    const bool sameIgnoringCase =
        QString::fromUtf8(oldText.data(), qsizetype(oldText.size()))
            .compare(QString::fromUtf8(newText.data(), qsizetype(newText.size())), Qt::CaseInsensitive)
        == 0;
    if (!oldText.empty() && !sameIgnoringCase) {
        // A replacement that itself contains the old text would be found
        // again forever; the search then resumes after the inserted text.
        const bool newHoldsOld = newText.find(oldText) != std::string_view::npos;
        std::size_t from = 0;
        for (std::size_t at = result.find(oldText); at != std::string::npos; at = result.find(oldText, from)) {
            result.replace(at, oldText.size(), newText);
            // Nothing before at matched, so a new occurrence can only start
            // within oldText's length before it: the same as searching anew.
            from = newHoldsOld ? at + newText.size() : (at >= oldText.size() ? at - oldText.size() + 1 : 0);
        }
    }
    return trimResult ? std::string(trimBlanks(result)) : result;
}

std::string FloatText(double value)
{
    return QString::number(value, 'g', 15).toStdString();
}

std::string RoundedDecimalText(double value, int decimals)
{
    // Round the decimal digits of the shortest text that reads back as the
    // value (the number as it was typed), not the binary value: 1.005 is
    // 1.00499999... in binary and 1234567.25 sits exactly on a half, and both
    // must round away from zero as they would on paper.
    if (!std::isfinite(value))
        return std::to_string(value);
    const std::size_t places = std::size_t(std::clamp(decimals, 0, 30));
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    const std::string digits(buffer, written.ptr);
    const std::size_t point = std::min(digits.find('.'), digits.size());
    std::string fraction = point < digits.size() ? digits.substr(point + 1) : std::string();
    const bool roundUp = fraction.size() > places && fraction[places] >= '5';
    fraction.resize(places, '0');
    std::string number = digits.substr(0, point) + fraction;
    for (std::size_t i = number.size(); roundUp && i-- > 0;) {
        if (number[i] != '9') {
            ++number[i];
            break;
        }
        number[i] = '0';
        if (i == 0)
            number.insert(number.begin(), '1');
    }
    const std::size_t wholeDigits = number.size() - places;
    std::string out = number.substr(0, wholeDigits);
    if (places > 0)
        out += "." + number.substr(wholeDigits);
    const bool zero = out.find_first_not_of("0.") == std::string::npos;
    return (value < 0 && !zero ? "-" : "") + out;
}

double RoundFloat(double x, int decimals)
{
    if (!std::isfinite(x))
        return x;
    const std::string text = RoundedDecimalText(atFifteenDigits(x), decimals);
    double result = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result == 0.0 ? 0.0 : result;
}

int CompareFloat(double a, double b)
{
    const double left = atFifteenDigits(a);
    const double right = atFifteenDigits(b);
    if (std::fabs(left - right) < 1e-10)
        return 0;
    return left > right ? 1 : -1;
}

double FloatOrDefault(std::string_view text, double defaultValue)
{
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return defaultValue;
    return value;
}

bool IsLocalAddress(std::string_view address)
{
    return address == "127.0.0.1";
}

bool WriteToAlertFile(std::string_view name, std::string_view message, std::string_view period)
{
    try {
        const std::string folder = AlertLog::directory();
        if (folder.empty())
            return false;
        const QDateTime now = Clock::now();
        const QString stamp = now.toString(period == "M"   ? QStringLiteral("yyyyMM")
                                           : period == "Y" ? QStringLiteral("yyyy")
                                                           : QStringLiteral("yyyyMMdd"));
        std::string file = folder + "Alert_" + std::string(name) + "_" + stamp.toStdString();
        if (name.find('.') == std::string_view::npos)
            file += ".log";
        const std::string line =
            "[" + now.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss:zzz")).toStdString() + "] " + std::string(message);
        return AlertLog::appendLine(file, line);
    } catch (const std::exception &) {
        return false;
    }
}

Variant KVStrToWideString(const Variant &value, int codePage)
{
    Variant result = value.deref();
    try {
        convertInPlace(result, codePage);
    } catch (const std::exception &error) {
        WriteToAlertFile("libstrs", std::string("LINE[115] ") + error.what(), "D");
    }
    return result;
}

std::string BLVariantToWideString(std::string_view text, const Variant &values)
{
    const int codePage = SystemInfo::ansiCodePage();
    const int count = values[0].toInt();
    std::string packed = legacyToUtf8(std::string(text), codePage) + kListSeparator;
    packed += varToStr(values[0]) + kListSeparator;
    for (int i = 1; i <= count; ++i)
        packed += legacyToUtf8(varToStr(values[i]), codePage) + kListSeparator;
    return packed;
}

std::string GetCHTButtonCaption(std::string_view caption)
{
    static const std::pair<std::string_view, std::string_view> captions[] = {
        {"Yes", "是(&Y)"},        {"No", "否(&N)"},         {"OK", "确定"},           {"Cancel", "取消"},
        {"Abort", "中断(&A)"},    {"Retry", "重试(&R)"},    {"Ignore", "忽略(&I)"},   {"All", "全部(&A)"},
        {"NoToAll", "全否(&o)"}, {"YesToAll", "全是(&A)"}, {"Help", "帮助(&H)"},
    };
    for (const auto &[english, chinese] : captions)
        if (caption == english)
            return std::string(chinese);
    return std::string(caption);
}

} // namespace kv
