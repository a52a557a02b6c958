#include "platform/VariantCbor.h"

#include "platform/TextCodec.h"

#include <QCborStreamReader>
#include <QCborStreamWriter>
#include <QtEndian>

#include <limits>

namespace kv {

namespace {

// ---------------------------------------------------------------------------
// Encoding

class Encoder {
public:
    explicit Encoder(QByteArray &out) : m_writer(&out) {}

    void write(const Variant &value, int depth)
    {
        switch (value.type()) {
        case VarType::Empty: m_writer.append(QCborSimpleType::Undefined); break;
        case VarType::Null: m_writer.append(nullptr); break;
        case VarType::Bool: m_writer.append(value.toBool()); break;
        case VarType::Int32: m_writer.append(qint64(value.toInt())); break;
        case VarType::Int64:
            m_writer.append(QCborTag(kTagInt64));
            m_writer.append(qint64(value.toInt64()));
            break;
        case VarType::Double: m_writer.append(value.toDouble()); break;
        case VarType::Currency:
            m_writer.append(QCborTag(kTagCurrency));
            m_writer.append(qint64(value.toCurrency().scaled));
            break;
        case VarType::Date:
            m_writer.append(QCborTag(kTagOleDate));
            m_writer.append(value.toDate().value);
            break;
        case VarType::Text: writeText(value.toText()); break;
        case VarType::Array: writeArray(value.array(), depth + 1); break;
        case VarType::Object: throw CborError("An automation object cannot be sent as data");
        case VarType::Ref: throw CborError("A by-reference variant cannot be sent as data");
        }
    }

private:
    void writeText(const std::string &text)
    {
        if (isValidUtf8(text))
            m_writer.appendTextString(text.data(), qsizetype(text.size()));
        else
            m_writer.appendByteString(text.data(), qsizetype(text.size()));
    }

    void writeArray(const VariantArray &array, int depth)
    {
        // The receiver refuses deeper nesting, so refuse it before sending.
        if (depth > CborLimits().maxDepth)
            throw CborError("Arrays are nested deeper than " + std::to_string(CborLimits().maxDepth) +
                            " levels");
        m_writer.append(QCborTag(kTagArray));
        m_writer.startArray(2);
        m_writer.startArray(quint64(array.bounds().size()));
        for (const ArrayBounds &bounds : array.bounds()) {
            m_writer.startArray(2);
            m_writer.append(qint64(bounds.low));
            m_writer.append(qint64(bounds.high));
            m_writer.endArray();
        }
        m_writer.endArray();
        m_writer.startArray(quint64(array.items().size()));
        for (const Variant &item : array.items())
            write(item, depth);
        m_writer.endArray();
        m_writer.endArray();
    }

    QCborStreamWriter m_writer;
};

// ---------------------------------------------------------------------------
// Decoding

class Decoder {
public:
    Decoder(const QByteArray &bytes, const CborLimits &limits)
        : m_bytes(bytes), m_reader(bytes), m_limits(limits)
    {
    }

    Variant run()
    {
        if (m_bytes.isEmpty())
            fail("no data");
        Variant value = readValue(0);
        checkReader();
        if (m_reader.currentOffset() != m_bytes.size())
            fail(std::to_string(m_bytes.size() - m_reader.currentOffset()) + " bytes follow the value");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string &reason) const
    {
        throw CborError("Invalid variant data at byte " + std::to_string(m_reader.currentOffset()) + ": " +
                        reason);
    }

    void checkReader()
    {
        const QCborError error = m_reader.lastError();
        if (error.c != QCborError::NoError)
            fail(error.toString().toStdString());
    }

    void advance()
    {
        if (!m_reader.next())
            checkReader();
        checkReader();
    }

    qint64 remaining() const { return m_bytes.size() - m_reader.currentOffset(); }

    void countVariants(std::int64_t count)
    {
        if (count > m_limits.maxVariants - m_variants)
            fail("more than " + std::to_string(m_limits.maxVariants) + " values");
        m_variants += count;
    }

    // counted: the value is an array element, already counted with its array.
    Variant readValue(int depth, bool counted = false)
    {
        checkReader();
        if (!counted)
            countVariants(1);
        switch (m_reader.type()) {
        case QCborStreamReader::UnsignedInteger:
        case QCborStreamReader::NegativeInteger: return readInt32();
        case QCborStreamReader::ByteArray: return Variant(readString(false));
        case QCborStreamReader::String: return Variant(readString(true));
        case QCborStreamReader::Tag: return readTagged(depth);
        case QCborStreamReader::SimpleType: return readSimple();
        case QCborStreamReader::Float16:
        case QCborStreamReader::Float:
        case QCborStreamReader::Double: return Variant(readReal());
        case QCborStreamReader::Array: fail("an array without its bounds");
        case QCborStreamReader::Map: fail("a map is no variant");
        case QCborStreamReader::Invalid: fail("the data ends early");
        }
        fail("unknown kind of item");
    }

    Variant readSimple()
    {
        const QCborSimpleType simple = m_reader.toSimpleType();
        Variant value;
        switch (simple) {
        case QCborSimpleType::False: value = Variant(false); break;
        case QCborSimpleType::True: value = Variant(true); break;
        case QCborSimpleType::Null: value = Variant::null(); break;
        case QCborSimpleType::Undefined: break;
        default: fail("simple value " + std::to_string(int(simple)) + " is no variant");
        }
        advance();
        return value;
    }

    std::int64_t readInteger(const char *what)
    {
        std::int64_t value = 0;
        if (m_reader.isUnsignedInteger()) {
            const quint64 raw = m_reader.toUnsignedInteger();
            if (raw > quint64(std::numeric_limits<std::int64_t>::max()))
                fail(std::string(what) + " out of range");
            value = std::int64_t(raw);
        } else if (m_reader.isNegativeInteger()) {
            // CBOR stores -1 - n; n comes back as the magnitude minus one.
            const quint64 raw = quint64(m_reader.toNegativeInteger()) - 1;
            if (raw > quint64(std::numeric_limits<std::int64_t>::max()))
                fail(std::string(what) + " out of range");
            value = -1 - std::int64_t(raw);
        } else {
            fail(std::string("expected ") + what);
        }
        advance();
        return value;
    }

    Variant readInt32()
    {
        const std::int64_t value = readInteger("an integer");
        if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
            fail("untagged integer " + std::to_string(value) + " does not fit 32 bits");
        return Variant(int(value));
    }

    double readReal()
    {
        double value = 0;
        if (m_reader.isDouble())
            value = m_reader.toDouble();
        else if (m_reader.isFloat())
            value = double(m_reader.toFloat());
        else if (m_reader.isFloat16())
            value = double(float(m_reader.toFloat16()));
        else
            fail("expected a floating-point number");
        advance();
        return value;
    }

    std::string readString(bool text)
    {
        std::string out;
        for (;;) {
            const qsizetype size = m_reader.currentStringChunkSize();
            if (size < 0) {
                checkReader();
                fail("unreadable string");
            }
            // Never trust a declared length beyond the bytes we hold.
            if (size > remaining())
                fail("a string claims " + std::to_string(size) + " bytes, " + std::to_string(remaining()) +
                     " are left");
            const std::size_t done = out.size();
            out.resize(done + std::size_t(size));
            const auto chunk = m_reader.readStringChunk(out.data() + done, size);
            if (chunk.status == QCborStreamReader::Error) {
                checkReader();
                fail("unreadable string");
            }
            out.resize(done + std::size_t(chunk.status == QCborStreamReader::Ok ? chunk.data : 0));
            if (chunk.status == QCborStreamReader::EndOfString)
                break;
        }
        checkReader();
        if (text && !isValidUtf8(out))
            fail("a text string is not valid UTF-8");
        return out;
    }

    Variant readTagged(int depth)
    {
        const quint64 tag = quint64(m_reader.toTag());
        advance();
        if (tag == kTagInt64)
            return Variant(readInteger("a 64-bit integer"));
        if (tag == kTagCurrency)
            return Variant(Currency{readInteger("a currency amount")});
        if (tag == kTagOleDate)
            return Variant(OleDate{readReal()});
        if (tag == kTagArray)
            return Variant(readArray(depth + 1));
        fail("unknown tag " + std::to_string(tag));
    }

    // Enters a definite-length array and returns its length.
    quint64 enterArray(const char *what)
    {
        checkReader();
        if (!m_reader.isArray())
            fail(std::string("expected ") + what);
        if (!m_reader.isLengthKnown())
            fail(std::string(what) + " without a length");
        const quint64 length = m_reader.length();
        // Every element takes at least one byte, so a larger count is a lie.
        if (length > quint64(remaining()))
            fail(std::string(what) + " claim " + std::to_string(length) + " elements, " +
                 std::to_string(remaining()) + " bytes are left");
        if (!m_reader.enterContainer())
            checkReader();
        return length;
    }

    void leaveArray()
    {
        checkReader();
        if (m_reader.hasNext())
            fail("an array holds more items than read");
        if (!m_reader.leaveContainer())
            checkReader();
        checkReader();
    }

    std::vector<ArrayBounds> readBounds()
    {
        const quint64 dims = enterArray("array bounds");
        if (dims > 2)
            fail("an array of " + std::to_string(dims) + " dimensions");
        std::vector<ArrayBounds> bounds;
        for (quint64 dim = 0; dim < dims; ++dim) {
            if (enterArray("a low and high bound") != 2)
                fail("a dimension needs a low and a high bound");
            const std::int64_t low = readInteger("a low bound");
            const std::int64_t high = readInteger("a high bound");
            leaveArray();
            // Checked before the count is formed: high - low of arbitrary
            // 64-bit bounds could overflow.
            if (low < std::numeric_limits<int>::min() || low > std::numeric_limits<int>::max() ||
                high < std::numeric_limits<int>::min() || high > std::numeric_limits<int>::max())
                fail("array bounds out of range");
            const std::int64_t count = high - low + 1;
            if (count < 0)
                fail("array bounds " + std::to_string(low) + ".." + std::to_string(high) +
                     " give a negative element count");
            if (count > std::numeric_limits<int>::max())
                fail("array bounds " + std::to_string(low) + ".." + std::to_string(high) + " are too wide");
            bounds.push_back(ArrayBounds{int(low), int(high)});
        }
        leaveArray();
        return bounds;
    }

    static std::int64_t cellCount(const std::vector<ArrayBounds> &bounds)
    {
        if (bounds.empty())
            return 0;
        std::int64_t count = 1;
        for (const ArrayBounds &dim : bounds)
            count *= dim.count();
        return count;
    }

    VariantArray readArray(int depth)
    {
        if (depth > m_limits.maxDepth)
            fail("arrays nested deeper than " + std::to_string(m_limits.maxDepth) + " levels");
        if (enterArray("an array's bounds and elements") != 2)
            fail("an array needs its bounds and its elements");
        const std::vector<ArrayBounds> bounds = readBounds();
        const std::int64_t expected = cellCount(bounds);
        const quint64 given = enterArray("array elements");
        if (given != quint64(expected))
            fail("an array holds " + std::to_string(given) + " elements where its bounds need " +
                 std::to_string(expected));
        countVariants(expected);
        VariantArray array = makeArray(bounds);
        for (Variant &item : array.items())
            item = readValue(depth, true);
        leaveArray();
        leaveArray();
        return array;
    }

    static VariantArray makeArray(const std::vector<ArrayBounds> &bounds)
    {
        switch (bounds.size()) {
        case 1: return VariantArray(bounds[0]);
        case 2: return VariantArray(bounds[0], bounds[1]);
        default: return VariantArray();
        }
    }

    const QByteArray &m_bytes;
    QCborStreamReader m_reader;
    CborLimits m_limits;
    std::int64_t m_variants = 0;
};

constexpr qsizetype kHeaderSize = 4;

} // namespace

QByteArray encodeVariant(const Variant &value)
{
    QByteArray out;
    Encoder(out).write(value, 0);
    return out;
}

Variant decodeVariant(const QByteArray &bytes, const CborLimits &limits)
{
    return Decoder(bytes, limits).run();
}

// ---------------------------------------------------------------------------
// Frames

QByteArray encodeFrame(const QByteArray &payload)
{
    if (quint64(payload.size()) > std::numeric_limits<quint32>::max())
        throw CborError("A frame payload of " + std::to_string(payload.size()) + " bytes is too large");
    QByteArray frame(kHeaderSize, Qt::Uninitialized);
    qToBigEndian(quint32(payload.size()), frame.data());
    frame.append(payload);
    return frame;
}

FrameReader::FrameReader(std::int64_t maxPayload)
{
    setMaxPayload(maxPayload);
}

void FrameReader::setMaxPayload(std::int64_t maxPayload)
{
    if (maxPayload < 0 || quint64(maxPayload) > std::numeric_limits<quint32>::max())
        throw CborError("A frame limit of " + std::to_string(maxPayload) + " bytes cannot be expressed");
    m_maxPayload = maxPayload;
}

void FrameReader::append(const QByteArray &bytes)
{
    if (m_failure)
        throw CborError(*m_failure);
    m_buffer.append(bytes);
    checkHeader();
}

void FrameReader::checkHeader()
{
    if (m_failure)
        throw CborError(*m_failure);
    if (pendingBytes() < kHeaderSize)
        return;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_readPos);
    if (std::int64_t(length) > m_maxPayload) {
        m_failure = "A frame declares " + std::to_string(length) + " bytes, more than the limit of " +
                    std::to_string(m_maxPayload);
        m_buffer.clear();
        m_readPos = 0;
        throw CborError(*m_failure);
    }
}

std::optional<QByteArray> FrameReader::next()
{
    checkHeader();
    if (pendingBytes() < kHeaderSize)
        return std::nullopt;
    const qsizetype length = qsizetype(qFromBigEndian<quint32>(m_buffer.constData() + m_readPos));
    if (pendingBytes() < kHeaderSize + length)
        return std::nullopt;
    QByteArray payload = m_buffer.mid(m_readPos + kHeaderSize, length);
    m_readPos += kHeaderSize + length;
    // Drop handed-out bytes once they make up half the buffer, so that many
    // small frames do not shift the buffer each time.
    if (m_readPos * 2 >= m_buffer.size()) {
        m_buffer.remove(0, m_readPos);
        m_readPos = 0;
    }
    return payload;
}

std::int64_t FrameReader::pendingBytes() const
{
    return m_buffer.size() - m_readPos;
}

} // namespace kv
