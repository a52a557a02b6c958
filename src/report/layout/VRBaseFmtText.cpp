// The print handlers of the text types and the capital amounts of
// TfrmVRBaseFmt.

#include "report/layout/VRBaseFmt.h"
#include "lib/LibStrs.h"

#include "lib/CodeConverter.h"
#include "lib/DateText.h"
#include "platform/report/ReportEvents.h"
#include "platform/report/TKVQRDBText.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QString>

#include <cmath>

namespace kv {

namespace {

// Unit words of the numerals list.
constexpr int kThousand = 10;
constexpr int kJiao = 13;
constexpr int kFen = 14;
constexpr int kNoUnit = 15;
constexpr int kWan = 16;
constexpr int kYi = 17;
constexpr int kYuan = 18;
constexpr int kWhole = 19;
// Line of memoChCapital with the minus word.
constexpr int kMinusLine = 20;

TextPrintArgs *textArgs(EventArgs &args)
{
    return dynamic_cast<TextPrintArgs *>(&args);
}

// A plain decimal number: optional minus, digits, optional fraction.
bool isPlainNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    return number.match(text).hasMatch();
}

bool allZeros(const std::string &digits)
{
    return digits.find_first_not_of('0') == std::string::npos;
}

} // namespace

// ---------------------------------------------------------------- capital amounts

void TfrmVRBaseFmt::DigitsToChinese(const std::string &digits, std::string &result)
{
    result.clear();
    if (digits.size() != 4 || digits.find_first_not_of("0123456789") != std::string::npos)
        return;
    for (std::size_t position = 0; position < 4; ++position) {
        const int digit = digits[position] - '0';
        if (digit != 0) {
            result += ChineseNumerals[std::size_t(digit)];
            if (position < 3)
                result += ChineseNumerals[std::size_t(kThousand) + position];
        } else if (!result.empty() && position < 3 && digits[position + 1] != '0') {
            result += ChineseNumerals[0];
        }
    }
}

void TfrmVRBaseFmt::AmountToChinese(const std::string &numberText, std::string &result)
{
    const std::string &zeroYuan = ChineseNumerals[0];
    const std::string yuanWhole = ChineseNumerals[kYuan] + ChineseNumerals[kWhole];
    QString text = QString::fromStdString(numberText).remove(QLatin1Char(',')).trimmed();
    if (text.isEmpty())
        text = QStringLiteral("0");
    if (!isPlainNumber(text) || text.toDouble() == 0) {
        result = zeroYuan + yuanWhole;
        return;
    }
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    std::string integer = (point < 0 ? text : text.left(point)).toStdString();
    std::string fraction = point < 0 ? std::string() : text.mid(point + 1).toStdString();
    if (point >= 0 && fraction.size() < 2)
        fraction.append(2 - fraction.size(), '0');

    result.clear();
    if (integer.empty())
        integer = "0";
    integer.insert(0, (4 - integer.size() % 4) % 4, '0');
    const int groups = int(integer.size() / 4);
    // Groups from the right carry no unit, 万, 亿, 万亿 ...: 亿 closes each
    // pair of groups above the first, so it is written once after the pair
    // when either group holds digits (壹万零贰亿, 壹万亿).
    bool pairHasDigits = false;
    for (int index = 0; index < groups; ++index) {
        const std::string group = integer.substr(std::size_t(index) * 4, 4);
        const int fromRight = groups - index;
        if (fromRight % 2 == 0)
            pairHasDigits = false;
        std::string groupText;
        DigitsToChinese(group, groupText);
        if (!groupText.empty()) {
            pairHasDigits = true;
            if (!result.empty() && group[0] == '0')
                result += ChineseNumerals[0];
            result += groupText + (fromRight % 2 == 0 ? ChineseNumerals[kWan] : ChineseNumerals[kNoUnit]);
        }
        if (fromRight % 2 == 1 && pairHasDigits) {
            for (int yi = 0; yi < (fromRight - 1) / 2; ++yi)
                result += ChineseNumerals[kYi];
        }
    }

    const bool noInteger = allZeros(integer);
    if (fraction.empty() || allZeros(fraction)) {
        result += yuanWhole;
    } else {
        const char d1 = fraction[0];
        const char d2 = fraction[1];
        if (d1 == '0' && d2 != '0') {
            if (!noInteger)
                result += ChineseNumerals[kYuan] + ChineseNumerals[0];
        } else if (d1 == '0') {
            // Less than a fen: nothing below the yuan is written.
            result += noInteger ? zeroYuan + yuanWhole : ChineseNumerals[kYuan];
        } else {
            if (!noInteger)
                result += ChineseNumerals[kYuan];
            result += ChineseNumerals[std::size_t(d1 - '0')] + ChineseNumerals[kJiao];
        }
        if (d2 != '0')
            result += ChineseNumerals[std::size_t(d2 - '0')] + ChineseNumerals[kFen];
    }
    if (negative) {
        const QStringList lines = memoChCapital->toPlainText().split(QLatin1Char('\n'));
        result.insert(0, (lines.size() > kMinusLine ? lines.at(kMinusLine) : QStringLiteral("负")).toStdString());
    }
}

// ---------------------------------------------------------------- print handlers

void TfrmVRBaseFmt::OnAsteriskPrint(QObject *sender, EventArgs &args)
{
    (void)sender;
    (void)args;
}

void TfrmVRBaseFmt::OnConvertPrint(QObject *sender, EventArgs &args)
{
    (void)sender;
    TextPrintArgs *print = textArgs(args);
    if (!print || !ConvertData)
        return;
    try {
        print->value = varToStr(KvConverter()->ConvertDataString(Variant(print->value)));
    } catch (const std::exception &) {
        // A text that cannot be converted prints as it is.
    }
}

void TfrmVRBaseFmt::OnDatePrint(QObject *sender, EventArgs &args)
{
    (void)sender;
    TextPrintArgs *print = textArgs(args);
    if (!print)
        return;
    const QDate date = TransDateIn(print->value);
    // Only a real date is rewritten; an empty field prints empty and a text
    // that is no date stays as it is.
    if (date.isValid())
        print->value = DateToString(date, DateType, DateFormat);
}

void TfrmVRBaseFmt::OnPercentPrint(QObject *sender, EventArgs &args)
{
    (void)sender;
    TextPrintArgs *print = textArgs(args);
    if (!print)
        return;
    bool ok = false;
    double value = QString::fromStdString(print->value).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        value = 0;
    print->value = FloatText(value * 100) + "%";
}

void TfrmVRBaseFmt::OnChinesePrint(QObject *sender, EventArgs &args)
{
    (void)sender;
    TextPrintArgs *print = textArgs(args);
    if (!print)
        return;
    std::string capital;
    AmountToChinese(print->value, capital);
    print->value = capital;
}

void TfrmVRBaseFmt::OnDictionaryPrint(QObject *sender, EventArgs &args)
{
    auto *field = qobject_cast<TKVQRDBText *>(sender);
    TextPrintArgs *print = textArgs(args);
    if (!field || !print || field->dictionary().isEmpty())
        return;
    // Entries are value chr(3) display "||". A value is looked up as a whole
    // entry key, so "1" never matches inside the entry of "11".
    const QString value = QString::fromStdString(print->value).trimmed();
    const QChar separator(3);
    for (const QString &entry : field->dictionary().split(QStringLiteral("||"))) {
        const qsizetype at = entry.indexOf(separator);
        if (at >= 0 && entry.left(at) == value) {
            print->value = entry.mid(at + 1).toStdString();
            return;
        }
    }
}

void TfrmVRBaseFmt::OnBarCodeInvalidChar(QObject *sender, EventArgs &args)
{
    (void)sender;
    auto *invalid = dynamic_cast<BarcodeInvalidCharArgs *>(&args);
    if (!invalid)
        return;
    switch (invalid->barcodeType) {
    case 7:
    case 22: invalid->replacement = "00"; break;
    case 12: invalid->replacement = "0"; break;
    default: invalid->replacement = " "; break;
    }
}

void TfrmVRBaseFmt::BindOnPrint(TKVQRDBText *component)
{
    if (!component)
        return;
    using Handler = void (TfrmVRBaseFmt::*)(QObject *, EventArgs &);
    const auto bind = [this, component](Handler handler, const char *name) {
        component->setEventOnPrint(
            EventHandler([this, handler](QObject *sender, EventArgs &args) { (this->*handler)(sender, args); }, name));
    };
    switch (component->textType()) {
    case 0: component->setEventOnPrint(EventHandler()); break;
    case 1: bind(&TfrmVRBaseFmt::OnDatePrint, "OnDatePrint"); break;
    case 2: bind(&TfrmVRBaseFmt::OnPercentPrint, "OnPercentPrint"); break;
    case 3: bind(&TfrmVRBaseFmt::OnChinesePrint, "OnChinesePrint"); break;
    case 4: bind(&TfrmVRBaseFmt::OnAsteriskPrint, "OnAsteriskPrint"); break;
    case 5: bind(&TfrmVRBaseFmt::OnDictionaryPrint, "OnDictionaryPrint"); break;
    default: break;
    }
}

} // namespace kv
