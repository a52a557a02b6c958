#pragma once
// kv::Variant: the automation variant every server call, condition value and
// option array travels in. It keeps the OLE distinctions the callers rely on:
// unassigned (empty) is not null, currency is a scaled integer, dates are OLE
// dates (days since 1899-12-30), arrays carry explicit bounds per dimension.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class QDate;
class QDateTime;

namespace kv {

class Dispatch;
class Variant;
class VariantArray;
using DispatchPtr = std::shared_ptr<Dispatch>;

enum class VarType { Empty, Null, Bool, Int32, Int64, Double, Currency, Date, Text, Array, Object, Ref };

// Raised when a variant cannot be read as the asked type (a failed cast).
class VariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fixed-point money value: the amount times 10 000, as OLE stores it.
struct Currency {
    std::int64_t scaled = 0;
    static Currency fromDouble(double value);
    double toDouble() const { return static_cast<double>(scaled) / 10000.0; }
    bool operator==(const Currency &) const = default;
};

// OLE date: whole days since 1899-12-30, the fraction is the time of day.
struct OleDate {
    double value = 0.0;
    static OleDate fromDate(const QDate &date);
    static OleDate fromDateTime(const QDateTime &dateTime);
    static OleDate fromYmd(int year, int month, int day);
    QDate toDate() const;
    QDateTime toDateTime() const;
    bool isZero() const { return value == 0.0; }
    bool operator==(const OleDate &) const = default;
};

// Low and high bound of one array dimension, both inclusive.
struct ArrayBounds {
    int low = 0;
    int high = -1;
    // Wide enough for any pair of int bounds (INT_MIN..INT_MAX included).
    std::int64_t count() const { return high >= low ? std::int64_t(high) - low + 1 : 0; }
    bool operator==(const ArrayBounds &) const = default;
};

class Variant {
public:
    Variant();
    Variant(bool value);
    Variant(int value);
    Variant(std::int64_t value);
    Variant(double value);
    Variant(Currency value);
    Variant(OleDate value);
    Variant(std::string value);
    Variant(std::string_view value);
    Variant(const char *value);
    Variant(VariantArray array);
    Variant(DispatchPtr object);
    Variant(const Variant &other);
    Variant(Variant &&other) noexcept;
    Variant &operator=(const Variant &other);
    Variant &operator=(Variant &&other) noexcept;
    ~Variant();

    static Variant null();
    // A by-reference argument: reads see the target, assign() writes into it.
    // The target must outlive the reference (the length of one call).
    static Variant ref(Variant &target);

    VarType type() const;
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isNull() const { return type() == VarType::Null; }
    bool isEmptyOrNull() const { return isEmpty() || isNull(); }
    bool isArray() const { return type() == VarType::Array; }
    bool isText() const { return type() == VarType::Text; }
    bool isObject() const { return type() == VarType::Object; }
    bool isRef() const;
    bool isNumeric() const;

    // The variant a reference points at; the variant itself otherwise.
    const Variant &deref() const;
    Variant &deref();
    // Writes through a reference, or replaces this value.
    void assign(const Variant &value);

    // Casts with OLE rules; a failed cast throws VariantError.
    std::string toText() const;
    std::int32_t toInt() const;
    std::int64_t toInt64() const;
    double toDouble() const;
    bool toBool() const;
    OleDate toDate() const;
    Currency toCurrency() const;
    DispatchPtr toObject() const;

    const VariantArray &array() const;
    VariantArray &array();

    // One-dimensional element access (the common case for parameter arrays).
    const Variant &operator[](int index) const;
    Variant &operator[](int index);

    // Exact equality: same type and same value (arrays element by element).
    bool operator==(const Variant &other) const;

    // Printable description for diagnostics and test failures.
    std::string debugText() const;

private:
    struct Storage;
    explicit Variant(std::unique_ptr<Storage> storage);
    std::unique_ptr<Storage> m_storage;
};

// VarToStr: like toText(), but null reads as an empty text.
std::string varToStr(const Variant &value);

// Array of one or two dimensions with explicit bounds. Elements are stored in
// row-major order of (first index, second index). Copies are deep.
class VariantArray {
public:
    VariantArray() = default;
    explicit VariantArray(ArrayBounds bounds);
    VariantArray(ArrayBounds first, ArrayBounds second);
    // A zero-based one-dimensional array of the given values (VarArrayOf).
    static VariantArray of(std::vector<Variant> values);

    int dimCount() const { return static_cast<int>(m_bounds.size()); }
    // dim is 1-based as in VarArrayLowBound / VarArrayHighBound.
    int lowBound(int dim = 1) const;
    int highBound(int dim = 1) const;
    const std::vector<ArrayBounds> &bounds() const { return m_bounds; }
    std::size_t elementCount() const { return m_items.size(); }

    const Variant &at(int index) const;
    Variant &at(int index);
    const Variant &at(int first, int second) const;
    Variant &at(int first, int second);

    // Grows or shrinks the last dimension (VarArrayRedim), keeping elements.
    void redim(int newHigh);

    // Raw element storage, row-major; used by walkers that visit every cell.
    const std::vector<Variant> &items() const { return m_items; }
    std::vector<Variant> &items() { return m_items; }

    bool operator==(const VariantArray &other) const;

private:
    std::size_t offset(int index) const;
    std::size_t offset(int first, int second) const;

    std::vector<ArrayBounds> m_bounds;
    std::vector<Variant> m_items;
};

// VarArrayOf: a zero-based one-dimensional array variant.
Variant varArrayOf(std::vector<Variant> values);

} // namespace kv
