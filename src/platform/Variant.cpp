#include "platform/Variant.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <variant>

namespace kv {

namespace {

struct NullTag {
    bool operator==(const NullTag &) const = default;
};

constexpr double kMsecsPerDay = 86400000.0;

const QDate &oleEpoch()
{
    static const QDate epoch(1899, 12, 30);
    return epoch;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool parseInt64(std::string_view text, std::int64_t &out)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseDouble(std::string_view text, double &out)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out,
                                     std::chars_format::fixed | std::chars_format::scientific);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(out);
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Banker's rounding, as the OLE casts from real to integer do.
std::int64_t roundHalfEven(double value)
{
    if (!std::isfinite(value) || value >= 9.2233720368547758e18 || value < -9.2233720368547758e18)
        throw VariantError("Invalid variant operation: value out of range");
    return static_cast<std::int64_t>(std::nearbyint(value));
}

std::string formatDouble(double value)
{
    // Fifteen significant digits, as the general float-to-text format does.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string formatCurrency(Currency value)
{
    std::int64_t whole = value.scaled / 10000;
    std::int64_t fraction = value.scaled % 10000;
    std::string text = (value.scaled < 0 && whole == 0) ? "-0" : std::to_string(whole);
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04lld", static_cast<long long>(std::llabs(fraction)));
        std::string decimals(digits);
        while (!decimals.empty() && decimals.back() == '0')
            decimals.pop_back();
        text += "." + decimals;
    }
    return text;
}

std::string formatDate(OleDate date)
{
    const QDateTime dt = date.toDateTime();
    const bool hasTime = dt.time() != QTime(0, 0);
    const QString format = hasTime ? QStringLiteral("yyyy/MM/dd HH:mm:ss") : QStringLiteral("yyyy/MM/dd");
    return dt.toString(format).toStdString();
}

bool parseDateText(std::string_view text, OleDate &out)
{
    const QString value = QString::fromUtf8(text.data(), qsizetype(text.size())).trimmed();
    static const char *const formats[] = {"yyyy/M/d H:m:s", "yyyy-M-d H:m:s", "yyyy/M/d H:m",
                                          "yyyy-M-dTH:m:s", "yyyy/M/d",       "yyyy-M-d"};
    for (const char *format : formats) {
        const QDateTime parsed = QDateTime::fromString(value, QString::fromLatin1(format));
        if (parsed.isValid()) {
            out = OleDate::fromDateTime(parsed);
            return true;
        }
    }
    return false;
}

[[noreturn]] void castError(VarType from, const char *to)
{
    static const char *const names[] = {"Empty",    "Null", "Boolean", "Integer", "Int64", "Double",
                                        "Currency", "Date", "String",  "Array",   "Dispatch", "ByRef"};
    throw VariantError(std::string("Could not convert variant of type (") + names[int(from)] +
                       ") into type (" + to + ")");
}

} // namespace

// ---------------------------------------------------------------------------
// Currency and OleDate

Currency Currency::fromDouble(double value)
{
    return Currency{roundHalfEven(value * 10000.0)};
}

OleDate OleDate::fromDate(const QDate &date)
{
    return OleDate{date.isValid() ? static_cast<double>(oleEpoch().daysTo(date)) : 0.0};
}

OleDate OleDate::fromYmd(int year, int month, int day)
{
    return fromDate(QDate(year, month, day));
}

OleDate OleDate::fromDateTime(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return OleDate{};
    const double days = static_cast<double>(oleEpoch().daysTo(dateTime.date()));
    const double fraction = dateTime.time().msecsSinceStartOfDay() / kMsecsPerDay;
    // Before the epoch the fraction still counts forward from midnight, so it is
    // stored with the sign of the day number.
    return OleDate{days < 0 ? days - fraction : days + fraction};
}

QDate OleDate::toDate() const
{
    return toDateTime().date();
}

QDateTime OleDate::toDateTime() const
{
    // OLE dates run from 100-01-01 to 9999-12-31; a value outside (a number
    // from a peer, say) is no date, and converting it to a day count would
    // overflow.
    if (!std::isfinite(value) || value < -657434.0 || value >= 2958466.0)
        return QDateTime();
    const double days = std::trunc(value);
    const double fraction = std::fabs(value - days);
    const QDate date = oleEpoch().addDays(static_cast<qint64>(days));
    const int msecs = static_cast<int>(std::llround(fraction * kMsecsPerDay));
    if (msecs >= kMsecsPerDay)
        return QDateTime(date.addDays(1), QTime(0, 0));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(msecs));
}

// ---------------------------------------------------------------------------
// Variant storage

struct Variant::Storage {
    std::variant<std::monostate, NullTag, bool, std::int32_t, std::int64_t, double, Currency, OleDate,
                 std::string, VariantArray, DispatchPtr, Variant *>
        value;
};

Variant::Variant(std::unique_ptr<Storage> storage) : m_storage(std::move(storage)) {}
Variant::Variant() = default;
Variant::Variant(bool value) : m_storage(new Storage{value}) {}
Variant::Variant(int value) : m_storage(new Storage{std::int32_t(value)}) {}
Variant::Variant(std::int64_t value) : m_storage(new Storage{value}) {}
Variant::Variant(double value) : m_storage(new Storage{value}) {}
Variant::Variant(Currency value) : m_storage(new Storage{value}) {}
Variant::Variant(OleDate value) : m_storage(new Storage{value}) {}
Variant::Variant(std::string value) : m_storage(new Storage{std::move(value)}) {}
Variant::Variant(std::string_view value) : m_storage(new Storage{std::string(value)}) {}
Variant::Variant(const char *value) : m_storage(new Storage{std::string(value ? value : "")}) {}
Variant::Variant(VariantArray array) : m_storage(new Storage{std::move(array)}) {}
Variant::Variant(DispatchPtr object)
    : m_storage(object ? new Storage{std::move(object)} : new Storage{NullTag{}})
{
}
Variant::Variant(const Variant &other)
    : m_storage(other.m_storage ? new Storage(*other.m_storage) : nullptr)
{
}
Variant::Variant(Variant &&other) noexcept = default;
Variant &Variant::operator=(Variant &&other) noexcept = default;
Variant::~Variant() = default;

Variant &Variant::operator=(const Variant &other)
{
    if (this != &other)
        m_storage.reset(other.m_storage ? new Storage(*other.m_storage) : nullptr);
    return *this;
}

Variant Variant::null()
{
    return Variant(std::unique_ptr<Storage>(new Storage{NullTag{}}));
}

Variant Variant::ref(Variant &target)
{
    return Variant(std::unique_ptr<Storage>(new Storage{&target.deref()}));
}

bool Variant::isRef() const
{
    return m_storage && std::holds_alternative<Variant *>(m_storage->value);
}

const Variant &Variant::deref() const
{
    return isRef() ? std::get<Variant *>(m_storage->value)->deref() : *this;
}

Variant &Variant::deref()
{
    return isRef() ? std::get<Variant *>(m_storage->value)->deref() : *this;
}

void Variant::assign(const Variant &value)
{
    Variant copy = value.deref();
    deref() = std::move(copy);
}

VarType Variant::type() const
{
    if (!m_storage)
        return VarType::Empty;
    return static_cast<VarType>(m_storage->value.index());
}

bool Variant::isNumeric() const
{
    switch (deref().type()) {
    case VarType::Int32:
    case VarType::Int64:
    case VarType::Double:
    case VarType::Currency:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Casts

std::string Variant::toText() const
{
    const Variant &v = deref();
    switch (v.type()) {
    case VarType::Empty: return {};
    case VarType::Bool: return std::get<bool>(v.m_storage->value) ? "True" : "False";
    case VarType::Int32: return std::to_string(std::get<std::int32_t>(v.m_storage->value));
    case VarType::Int64: return std::to_string(std::get<std::int64_t>(v.m_storage->value));
    case VarType::Double: return formatDouble(std::get<double>(v.m_storage->value));
    case VarType::Currency: return formatCurrency(std::get<Currency>(v.m_storage->value));
    case VarType::Date: return formatDate(std::get<OleDate>(v.m_storage->value));
    case VarType::Text: return std::get<std::string>(v.m_storage->value);
    default: castError(v.type(), "String");
    }
}

std::int64_t Variant::toInt64() const
{
    const Variant &v = deref();
    switch (v.type()) {
    case VarType::Empty: return 0;
    case VarType::Bool: return std::get<bool>(v.m_storage->value) ? -1 : 0;
    case VarType::Int32: return std::get<std::int32_t>(v.m_storage->value);
    case VarType::Int64: return std::get<std::int64_t>(v.m_storage->value);
    case VarType::Double: return roundHalfEven(std::get<double>(v.m_storage->value));
    case VarType::Currency: return roundHalfEven(std::get<Currency>(v.m_storage->value).toDouble());
    case VarType::Date: return roundHalfEven(std::get<OleDate>(v.m_storage->value).value);
    case VarType::Text: {
        const std::string &text = std::get<std::string>(v.m_storage->value);
        std::int64_t whole = 0;
        double real = 0;
        if (parseInt64(text, whole))
            return whole;
        if (parseDouble(text, real))
            return roundHalfEven(real);
        throw VariantError("Could not convert variant of type (String) into type (Integer): '" + text + "'");
    }
    default: castError(v.type(), "Int64");
    }
}

std::int32_t Variant::toInt() const
{
    const std::int64_t value = toInt64();
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        throw VariantError("Invalid variant operation: " + std::to_string(value) + " does not fit an integer");
    return static_cast<std::int32_t>(value);
}

double Variant::toDouble() const
{
    const Variant &v = deref();
    switch (v.type()) {
    case VarType::Empty: return 0.0;
    case VarType::Bool: return std::get<bool>(v.m_storage->value) ? -1.0 : 0.0;
    case VarType::Int32: return std::get<std::int32_t>(v.m_storage->value);
    case VarType::Int64: return static_cast<double>(std::get<std::int64_t>(v.m_storage->value));
    case VarType::Double: return std::get<double>(v.m_storage->value);
    case VarType::Currency: return std::get<Currency>(v.m_storage->value).toDouble();
    case VarType::Date: return std::get<OleDate>(v.m_storage->value).value;
    case VarType::Text: {
        const std::string &text = std::get<std::string>(v.m_storage->value);
        double real = 0;
        if (parseDouble(text, real))
            return real;
        throw VariantError("Could not convert variant of type (String) into type (Double): '" + text + "'");
    }
    default: castError(v.type(), "Double");
    }
}

bool Variant::toBool() const
{
    const Variant &v = deref();
    switch (v.type()) {
    case VarType::Empty: return false;
    case VarType::Bool: return std::get<bool>(v.m_storage->value);
    case VarType::Text: {
        const std::string &text = std::get<std::string>(v.m_storage->value);
        const std::string_view word = trimmed(text);
        if (equalsNoCase(word, "true"))
            return true;
        if (equalsNoCase(word, "false"))
            return false;
        double real = 0;
        if (parseDouble(word, real))
            return real != 0.0;
        throw VariantError("Could not convert variant of type (String) into type (Boolean): '" + text + "'");
    }
    case VarType::Int32:
    case VarType::Int64:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Date: return v.toDouble() != 0.0;
    default: castError(v.type(), "Boolean");
    }
}

OleDate Variant::toDate() const
{
    const Variant &v = deref();
    switch (v.type()) {
    case VarType::Empty: return {};
    case VarType::Date: return std::get<OleDate>(v.m_storage->value);
    case VarType::Int32:
    case VarType::Int64:
    case VarType::Double:
    case VarType::Currency: return OleDate{v.toDouble()};
    case VarType::Text: {
        const std::string &text = std::get<std::string>(v.m_storage->value);
        OleDate date;
        double real = 0;
        if (parseDateText(text, date))
            return date;
        if (parseDouble(text, real))
            return OleDate{real};
        throw VariantError("Could not convert variant of type (String) into type (Date): '" + text + "'");
    }
    default: castError(v.type(), "Date");
    }
}

Currency Variant::toCurrency() const
{
    const Variant &v = deref();
    if (v.type() == VarType::Currency)
        return std::get<Currency>(v.m_storage->value);
    if (v.type() == VarType::Int32 || v.type() == VarType::Int64)
        return Currency{v.toInt64() * 10000};
    return Currency::fromDouble(v.toDouble());
}

DispatchPtr Variant::toObject() const
{
    const Variant &v = deref();
    if (v.type() == VarType::Object)
        return std::get<DispatchPtr>(v.m_storage->value);
    castError(v.type(), "Dispatch");
}

const VariantArray &Variant::array() const
{
    const Variant &v = deref();
    if (v.type() != VarType::Array)
        throw VariantError("Variant is not an array");
    return std::get<VariantArray>(v.m_storage->value);
}

VariantArray &Variant::array()
{
    Variant &v = deref();
    if (v.type() != VarType::Array)
        throw VariantError("Variant is not an array");
    return std::get<VariantArray>(v.m_storage->value);
}

const Variant &Variant::operator[](int index) const
{
    return array().at(index);
}

Variant &Variant::operator[](int index)
{
    return array().at(index);
}

bool Variant::operator==(const Variant &other) const
{
    const Variant &a = deref();
    const Variant &b = other.deref();
    if (a.type() != b.type())
        return false;
    if (a.type() == VarType::Empty)
        return true;
    return a.m_storage->value == b.m_storage->value;
}

std::string Variant::debugText() const
{
    const Variant &v = deref();
    switch (v.type()) {
    case VarType::Empty: return "<empty>";
    case VarType::Null: return "<null>";
    case VarType::Object: return "<object>";
    case VarType::Text: return "'" + v.toText() + "'";
    case VarType::Date: return "#" + v.toText() + "#";
    case VarType::Array: {
        const VariantArray &array = v.array();
        std::string text = "[";
        for (std::size_t i = 0; i < array.items().size(); ++i)
            text += (i ? ", " : "") + array.items()[i].debugText();
        return text + "]";
    }
    default: return v.toText();
    }
}

std::string varToStr(const Variant &value)
{
    return value.deref().isNull() ? std::string() : value.toText();
}

// ---------------------------------------------------------------------------
// VariantArray

namespace {

// Arrays beyond this many cells are refused rather than attempted: bounds can
// come from untrusted callers, and a failed giant allocation helps nobody.
constexpr std::int64_t kMaxArrayCells = std::int64_t(1) << 28;

std::size_t checkedCellCount(std::int64_t first, std::int64_t second = 1)
{
    if (first > kMaxArrayCells || second > kMaxArrayCells || first * second > kMaxArrayCells)
        throw VariantError("array of " + std::to_string(first) + " x " + std::to_string(second)
                           + " cells is larger than allowed");
    return std::size_t(first * second);
}

} // namespace

VariantArray::VariantArray(ArrayBounds bounds) : m_bounds{bounds}, m_items(checkedCellCount(bounds.count())) {}

VariantArray::VariantArray(ArrayBounds first, ArrayBounds second)
    : m_bounds{first, second}, m_items(checkedCellCount(first.count(), second.count()))
{
}

VariantArray VariantArray::of(std::vector<Variant> values)
{
    VariantArray array;
    array.m_bounds = {ArrayBounds{0, static_cast<int>(values.size()) - 1}};
    array.m_items = std::move(values);
    return array;
}

int VariantArray::lowBound(int dim) const
{
    if (dim < 1 || dim > dimCount())
        throw VariantError("Variant array bounds error: no dimension " + std::to_string(dim));
    return m_bounds[std::size_t(dim - 1)].low;
}

int VariantArray::highBound(int dim) const
{
    if (dim < 1 || dim > dimCount())
        throw VariantError("Variant array bounds error: no dimension " + std::to_string(dim));
    return m_bounds[std::size_t(dim - 1)].high;
}

std::size_t VariantArray::offset(int index) const
{
    if (dimCount() != 1)
        throw VariantError("Variant array bounds error: one index for a " + std::to_string(dimCount()) +
                           "-dimensional array");
    const ArrayBounds &b = m_bounds[0];
    if (index < b.low || index > b.high)
        throw VariantError("Variant array index out of bounds: " + std::to_string(index));
    return std::size_t(index - b.low);
}

std::size_t VariantArray::offset(int first, int second) const
{
    if (dimCount() != 2)
        throw VariantError("Variant array bounds error: two indexes for a " + std::to_string(dimCount()) +
                           "-dimensional array");
    const ArrayBounds &a = m_bounds[0];
    const ArrayBounds &b = m_bounds[1];
    if (first < a.low || first > a.high || second < b.low || second > b.high)
        throw VariantError("Variant array index out of bounds: [" + std::to_string(first) + ", " +
                           std::to_string(second) + "]");
    return std::size_t(first - a.low) * std::size_t(b.count()) + std::size_t(second - b.low);
}

const Variant &VariantArray::at(int index) const { return m_items[offset(index)]; }
Variant &VariantArray::at(int index) { return m_items[offset(index)]; }
const Variant &VariantArray::at(int first, int second) const { return m_items[offset(first, second)]; }
Variant &VariantArray::at(int first, int second) { return m_items[offset(first, second)]; }

void VariantArray::redim(int newHigh)
{
    if (m_bounds.empty())
        throw VariantError("Variant array bounds error: redim of an array without dimensions");
    ArrayBounds &last = m_bounds.back();
    if (newHigh < last.low - 1)
        throw VariantError("Variant array bounds error: redim below the low bound");
    if (dimCount() == 1) {
        last.high = newHigh;
        m_items.resize(checkedCellCount(last.count()));
        return;
    }
    // Two dimensions: the last index varies fastest, so rows are rebuilt.
    const ArrayBounds first = m_bounds[0];
    const ArrayBounds oldLast = last;
    last.high = newHigh;
    std::vector<Variant> items(checkedCellCount(first.count(), last.count()));
    const std::int64_t keep = std::min(oldLast.count(), last.count());
    for (std::int64_t row = 0; row < first.count(); ++row)
        for (std::int64_t col = 0; col < keep; ++col)
            items[std::size_t(row) * std::size_t(last.count()) + std::size_t(col)] =
                std::move(m_items[std::size_t(row) * std::size_t(oldLast.count()) + std::size_t(col)]);
    m_items = std::move(items);
}

bool VariantArray::operator==(const VariantArray &other) const
{
    return m_bounds == other.m_bounds && m_items == other.m_items;
}

Variant varArrayOf(std::vector<Variant> values)
{
    return Variant(VariantArray::of(std::move(values)));
}

} // namespace kv
