#include "platform/Dispatch.h"
#include "platform/VariantCbor.h"

#include <QCborStreamWriter>

#include <gtest/gtest.h>

#include <limits>
#include <random>

using kv::ArrayBounds;
using kv::CborError;
using kv::Variant;
using kv::VariantArray;
using kv::VarType;

namespace {

Variant roundTrip(const Variant &value)
{
    return kv::decodeVariant(kv::encodeVariant(value));
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

std::string decodeError(const QByteArray &bytes, const kv::CborLimits &limits = {})
{
    try {
        kv::decodeVariant(bytes, limits);
    } catch (const CborError &error) {
        return error.what();
    }
    return "<decoded>";
}

// Hand-written CBOR for inputs our encoder would never produce.
struct Cbor {
    QByteArray bytes;
    QCborStreamWriter writer{&bytes};

    Cbor &tag(std::uint64_t tag)
    {
        writer.append(QCborTag(tag));
        return *this;
    }
    Cbor &array(quint64 count)
    {
        writer.startArray(count);
        return *this;
    }
    Cbor &end()
    {
        writer.endArray();
        return *this;
    }
    Cbor &integer(qint64 value)
    {
        writer.append(value);
        return *this;
    }
    // [tag [[low, high]...] [elements...]: the caller writes elements and two end()s
    Cbor &arrayHead(std::vector<std::pair<qint64, qint64>> bounds, quint64 elements)
    {
        tag(kv::kTagArray).array(2).array(bounds.size());
        for (auto [low, high] : bounds)
            array(2).integer(low).integer(high).end();
        return end().array(elements);
    }
};

// A 2-D array with bounds 1..2 x 0..3 whose cells hold every kind, among
// them arrays with their own bounds.
Variant sampleGrid()
{
    VariantArray grid(ArrayBounds{1, 2}, ArrayBounds{0, 3});
    grid.at(1, 0) = Variant("物料");
    grid.at(1, 1) = Variant(std::int64_t(5));
    grid.at(1, 2) = Variant(kv::Currency{-12345});
    grid.at(1, 3) = Variant::null();
    VariantArray inner(ArrayBounds{5, 6});
    inner.at(5) = kv::varArrayOf({1, "a", true});
    inner.at(6) = Variant(kv::OleDate::fromYmd(2026, 12, 7));
    grid.at(2, 0) = Variant(inner);
    grid.at(2, 1) = Variant(2.5);
    grid.at(2, 2) = Variant(VariantArray(ArrayBounds{0, -1}));
    return Variant(grid);
}

} // namespace

TEST(VariantCbor, EveryScalarKindComesBackExactly)
{
    const std::vector<Variant> values = {
        Variant(), Variant::null(), Variant(true), Variant(false), Variant(0), Variant(-1),
        Variant(std::numeric_limits<int>::min()), Variant(std::numeric_limits<int>::max()),
        Variant(std::int64_t(0)), Variant(std::numeric_limits<std::int64_t>::min()),
        Variant(std::numeric_limits<std::int64_t>::max()), Variant(0.1), Variant(-1e308), Variant(3.0),
        Variant(kv::Currency{std::numeric_limits<std::int64_t>::min()}), Variant(kv::Currency{15000}),
        Variant(kv::OleDate{46363.75}), Variant(kv::OleDate{-1.5}), Variant(""), Variant("是(&Y)"),
        Variant(std::string("a\0b", 3)),
        // Not UTF-8: travels as bytes and comes back unchanged.
        Variant(std::string("\xff\xfe\xb0\xa1", 4)),
    };
    for (const Variant &value : values) {
        const Variant back = roundTrip(value);
        EXPECT_EQ(back.type(), value.type()) << value.debugText();
        EXPECT_EQ(back, value) << value.debugText();
    }
}

TEST(VariantCbor, ArraysKeepTheirBoundsAndNesting)
{
    const Variant grid = sampleGrid();
    const Variant back = roundTrip(grid);
    ASSERT_TRUE(back.isArray());
    EXPECT_EQ(back.array().bounds(), grid.array().bounds());
    EXPECT_EQ(back.array().lowBound(1), 1);
    EXPECT_EQ(back.array().highBound(2), 3);
    EXPECT_EQ(back.array().at(2, 0).array().lowBound(), 5);
    EXPECT_EQ(back.array().at(2, 0).array().at(5)[1], Variant("a"));
    EXPECT_TRUE(back.array().at(2, 3).isEmpty());
    EXPECT_EQ(back, grid);

    EXPECT_EQ(roundTrip(Variant(VariantArray())), Variant(VariantArray()));
}

TEST(VariantCbor, ObjectsAndReferencesCannotTravel)
{
    struct Dummy : kv::Dispatch {
        std::string className() const override { return "Test.Dummy"; }
        Variant invoke(std::string_view, std::vector<Variant> &, kv::InvokeKind) override { return {}; }
    };
    Variant target(1);
    EXPECT_THROW(kv::encodeVariant(Variant(kv::DispatchPtr(std::make_shared<Dummy>()))), CborError);
    EXPECT_THROW(kv::encodeVariant(Variant::ref(target)), CborError);
    EXPECT_THROW(kv::encodeVariant(kv::varArrayOf({1, Variant::ref(target)})), CborError);
}

TEST(VariantCbor, NestingIsLimited)
{
    Variant nested = kv::varArrayOf({1});
    for (int depth = 1; depth < 64; ++depth)
        nested = kv::varArrayOf({nested});
    EXPECT_EQ(roundTrip(nested), nested); // 64 levels
    EXPECT_THROW(kv::encodeVariant(kv::varArrayOf({nested})), CborError);

    // Far deeper input must fail cleanly, not exhaust the stack.
    Cbor deep;
    for (int depth = 0; depth < 100000; ++depth)
        deep.arrayHead({{0, 0}}, 1);
    EXPECT_NE(decodeError(deep.bytes).find("nested deeper than 64"), std::string::npos);
}

TEST(VariantCbor, CutShortOrFollowedByGarbageIsRejected)
{
    const QByteArray bytes = kv::encodeVariant(sampleGrid());
    for (qsizetype length = 0; length < bytes.size(); ++length)
        EXPECT_THROW(kv::decodeVariant(bytes.left(length)), CborError) << "cut at " << length;
    EXPECT_NE(decodeError(bytes + '\0').find("1 bytes follow"), std::string::npos);
    EXPECT_THROW(kv::decodeVariant(hex("ff")), CborError);
    EXPECT_THROW(kv::decodeVariant(hex("1c")), CborError);          // reserved length code
    EXPECT_THROW(kv::decodeVariant(hex("a10102")), CborError);      // a map
    EXPECT_THROW(kv::decodeVariant(hex("820102")), CborError);      // an array without bounds
    EXPECT_THROW(kv::decodeVariant(hex("f818")), CborError);        // simple value 24
    EXPECT_THROW(kv::decodeVariant(hex("1a80000000")), CborError);  // untagged beyond 32 bits
    EXPECT_THROW(kv::decodeVariant(hex("62c328")), CborError);      // text that is not UTF-8
}

TEST(VariantCbor, WrongTagsAreRejected)
{
    EXPECT_NE(decodeError(Cbor().tag(1).integer(5).bytes).find("unknown tag 1"), std::string::npos);
    EXPECT_THROW(kv::decodeVariant(hex("da4b56000161")), CborError);     // 64-bit integer tag on a text
    EXPECT_THROW(kv::decodeVariant(Cbor().tag(kv::kTagOleDate).integer(3).bytes), CborError);
    EXPECT_THROW(kv::decodeVariant(Cbor().tag(kv::kTagArray).integer(3).bytes), CborError);
    EXPECT_THROW(kv::decodeVariant(Cbor().tag(kv::kTagInt64).tag(kv::kTagInt64).integer(3).bytes), CborError);
    // The 64-bit tag keeps CBOR's full negative range out.
    EXPECT_THROW(kv::decodeVariant(hex("da4b5600013bffffffffffffffff")), CborError);
}

TEST(VariantCbor, BoundsThatDisagreeWithTheElementsAreRejected)
{
    Cbor shortArray;
    shortArray.arrayHead({{0, 2}}, 2).integer(1).integer(2).end().end();
    EXPECT_NE(decodeError(shortArray.bytes).find("holds 2 elements where its bounds need 3"), std::string::npos);

    Cbor negative;
    negative.arrayHead({{5, 2}}, 0).end().end();
    EXPECT_NE(decodeError(negative.bytes).find("negative element count"), std::string::npos);

    Cbor tooWide;
    tooWide.arrayHead({{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}}, 0).end().end();
    EXPECT_THROW(kv::decodeVariant(tooWide.bytes), CborError);

    // Bounds at the ends of the 64-bit range must be refused before their
    // distance is taken (it would overflow).
    Cbor extreme;
    extreme.arrayHead({{std::numeric_limits<qint64>::min(), 1}}, 0).end().end();
    EXPECT_NE(decodeError(extreme.bytes).find("array bounds out of range"), std::string::npos);
    Cbor extremeHigh;
    extremeHigh.arrayHead({{-1, std::numeric_limits<qint64>::max()}}, 0).end().end();
    EXPECT_NE(decodeError(extremeHigh.bytes).find("array bounds out of range"), std::string::npos);

    Cbor threeDims;
    threeDims.arrayHead({{0, 0}, {0, 0}, {0, 0}}, 1).integer(1).end().end();
    EXPECT_THROW(kv::decodeVariant(threeDims.bytes), CborError);
}

TEST(VariantCbor, ClaimsOfHugeSizesAreRejectedWithoutAllocating)
{
    // Texts and byte strings declaring 4 GB and more, backed by three bytes.
    EXPECT_NE(decodeError(hex("7affffffff616263")).find("claims 4294967295 bytes"), std::string::npos);
    EXPECT_THROW(kv::decodeVariant(hex("5affffffff616263")), CborError);
    EXPECT_THROW(kv::decodeVariant(hex("7b0000000100000000616263")), CborError);

    // A 65536 x 65536 array whose element list declares 4 G elements.
    Cbor huge;
    huge.arrayHead({{0, 65535}, {0, 65535}}, 0x100000000ULL).integer(1);
    EXPECT_NE(decodeError(huge.bytes).find("array elements claim 4294967296 elements"), std::string::npos);

    // Honest counts still stop at the value limit of the receiver.
    kv::CborLimits limits;
    limits.maxVariants = 50;
    std::vector<Variant> items(100, Variant(1));
    EXPECT_NE(decodeError(kv::encodeVariant(kv::varArrayOf(items)), limits).find("more than 50 values"),
              std::string::npos);
    // The limit counts each value once: an array of 49 elements is 50 values.
    items.resize(49);
    EXPECT_EQ(decodeError(kv::encodeVariant(kv::varArrayOf(items)), limits), "<decoded>");
    items.resize(50);
    EXPECT_NE(decodeError(kv::encodeVariant(kv::varArrayOf(items)), limits).find("more than 50 values"),
              std::string::npos);
}

TEST(VariantCbor, DamagedInputNeverCrashes)
{
    // Flips and truncations of a valid encoding: each result either decodes
    // or is refused with a CborError (sanitizers watch for the rest).
    const QByteArray bytes = kv::encodeVariant(sampleGrid());
    std::mt19937 random(20261207);
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = bytes;
        const int flips = 1 + int(random() % 4);
        for (int i = 0; i < flips; ++i)
            damaged[qsizetype(random() % quint32(damaged.size()))] = char(random() & 0xff);
        if (round % 3 == 0)
            damaged.truncate(qsizetype(random() % quint32(damaged.size())));
        try {
            kv::decodeVariant(damaged);
        } catch (const CborError &) {
        }
    }
}

TEST(FrameReader, SplitsTheStreamIntoPayloads)
{
    const QByteArray first = kv::encodeVariant(sampleGrid());
    const QByteArray stream = kv::encodeFrame(first) + kv::encodeFrame(QByteArray()) + kv::encodeFrame("xyz");
    EXPECT_EQ(kv::encodeFrame("xyz"), hex("00000003") + "xyz");

    kv::FrameReader reader;
    std::vector<QByteArray> payloads;
    for (char byte : stream) {
        reader.append(QByteArray(1, byte));
        while (std::optional<QByteArray> payload = reader.next())
            payloads.push_back(*payload);
    }
    ASSERT_EQ(payloads.size(), 3u);
    EXPECT_EQ(payloads[0], first);
    EXPECT_TRUE(payloads[1].isEmpty());
    EXPECT_EQ(payloads[2], "xyz");
    EXPECT_EQ(reader.pendingBytes(), 0);

    reader.append(hex("0000000a") + "abc");
    EXPECT_FALSE(reader.next().has_value());
    EXPECT_EQ(reader.pendingBytes(), 7);
}

TEST(FrameReader, RefusesLengthsAboveTheLimitAndStaysFailed)
{
    kv::FrameReader reader;
    reader.append(hex("ff"));
    EXPECT_THROW(reader.append(hex("ffffff") + "abc"), CborError); // claims 4 GB
    EXPECT_THROW(reader.next(), CborError);
    EXPECT_THROW(reader.append(kv::encodeFrame("ok")), CborError);

    kv::FrameReader small(10);
    small.append(kv::encodeFrame("0123456789"));
    EXPECT_EQ(small.next(), QByteArray("0123456789"));
    EXPECT_THROW(small.append(kv::encodeFrame("0123456789A")), CborError);
}
