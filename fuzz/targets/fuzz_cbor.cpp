// CBOR variants, frames and RPC messages as the application server and its
// clients receive them from the network.
//
// The first byte picks how the rest arrives: as one variant payload, as a
// stream cut into pieces of the sizes the following bytes give (for the
// frame reader), or as one message payload.
#include "FuzzSupport.h"

#include "platform/Dispatch.h"
#include "platform/RemoteProtocol.h"
#include "platform/VariantCbor.h"

#include <algorithm>
#include <optional>

namespace {

// Small limits keep every execution fast; the limits' own checks are what
// is under test, not the machine's memory.
kv::CborLimits smallLimits()
{
    kv::CborLimits limits;
    limits.maxDepth = 16;
    limits.maxVariants = 4096;
    return limits;
}

// What decodes must encode, and its encoding must come back unchanged: the
// decoder may not build a variant the encoder cannot write.
void checkRoundTrip(const kv::Variant &value)
{
    QByteArray encoded;
    try {
        encoded = kv::encodeVariant(value);
    } catch (const kv::CborError &error) {
        fuzz::fail(std::string("a decoded variant does not encode: ") + error.what());
    }
    kv::Variant again;
    try {
        again = kv::decodeVariant(encoded);
    } catch (const kv::CborError &error) {
        fuzz::fail(std::string("an encoded variant does not decode: ") + error.what());
    }
    if (kv::encodeVariant(again) != encoded)
        fuzz::fail("the encoding of a variant changes on its way back");
}

void decodeOne(const QByteArray &payload)
{
    try {
        checkRoundTrip(kv::decodeVariant(payload, smallLimits()));
    } catch (const kv::CborError &) {
    }
}

// What the server does with a message before it dispatches it.
void decodeMessage(const QByteArray &payload)
{
    std::vector<kv::Variant> message;
    try {
        message = kv::remote::decodeMessage(payload, smallLimits());
    } catch (const kv::CborError &) {
        return;
    }
    for (std::size_t index = 0; index < std::min<std::size_t>(message.size(), 4); ++index) {
        try {
            kv::remote::kindFromCode(message[index]);
        } catch (const kv::DispatchError &) {
        }
        try {
            kv::remote::integerAt(message, index, "argument");
        } catch (const kv::DispatchError &) {
        }
        try {
            kv::remote::textAt(message, index, "argument");
        } catch (const kv::DispatchError &) {
        }
    }
}

void readStream(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return;
    // A limit as small as the one before a connection has said hello.
    kv::FrameReader reader(4 + data[0] * 16);
    const std::uint8_t step = data[1];
    std::size_t position = 2;
    std::int64_t handedOut = 0;
    try {
        while (position < size) {
            const std::size_t piece = std::min<std::size_t>(size - position, 1 + (step + position) % 37);
            reader.append(fuzz::bytes(data + position, piece));
            position += piece;
            while (const std::optional<QByteArray> payload = reader.next()) {
                if (payload->size() > reader.maxPayload())
                    fuzz::fail("a frame longer than the limit was handed out");
                handedOut += 4 + payload->size();
                decodeMessage(*payload);
            }
        }
    } catch (const kv::CborError &) {
        // Failed for good: every further use must throw again.
        try {
            reader.next();
            fuzz::fail("a failed frame reader handed out a frame");
        } catch (const kv::CborError &) {
        }
        return;
    }
    if (handedOut + reader.pendingBytes() != std::int64_t(size - 2))
        fuzz::fail("the frame reader lost or invented bytes");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest = fuzz::bytes(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0: decodeOne(rest); break;
    case 1: readStream(data + 1, size - 1); break;
    default: decodeMessage(rest); break;
    }
    return 0;
}
