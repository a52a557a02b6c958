#pragma once
// Variants on the wire: the application server's RPC carries method names and
// variant arguments as CBOR in length-prefixed frames.
//
// Encoding of each kind (every kind comes back exactly as it went):
//   empty                 CBOR undefined
//   null                  CBOR null
//   bool                  CBOR true / false
//   32-bit integer        CBOR integer
//   64-bit integer        tag kTagInt64 around a CBOR integer (kept apart
//                         from 32-bit integers even for small values)
//   double                CBOR double-precision float
//   currency              tag kTagCurrency around the integer amount * 10 000
//   date                  tag kTagOleDate around the OLE date as a double
//   text                  CBOR text string when the text is valid UTF-8, else
//                         a byte string (binary contents travel unchanged)
//   array                 tag kTagArray around [bounds, elements]: bounds is
//                         one [low, high] pair per dimension (none, one or
//                         two), elements are all cells in row-major order
// Automation objects and by-reference variants cannot travel: encoding them
// throws CborError.
//
// Decoding treats the bytes as untrusted: anything malformed, truncated,
// followed by further bytes, tagged wrongly, with counts that disagree with
// the bounds or claim more than the input could hold, or nested deeper than
// the limit throws CborError with the reason; nothing is allocated ahead of
// the bytes that back it.

#include "platform/Variant.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace kv {

class CborError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Tag numbers of our own, from the first-come range of the CBOR tag registry
// (none of them is registered there).
inline constexpr std::uint64_t kTagInt64 = 0x4B560001;
inline constexpr std::uint64_t kTagCurrency = 0x4B560002;
inline constexpr std::uint64_t kTagOleDate = 0x4B560003;
inline constexpr std::uint64_t kTagArray = 0x4B560004;

struct CborLimits {
    // Arrays inside arrays inside ... (the outermost array is depth 1).
    int maxDepth = 64;
    // Variants a single payload may produce; bounds the memory one message
    // can make the receiver allocate (each variant costs far more than the
    // byte that encodes it).
    std::int64_t maxVariants = 16 * 1024 * 1024;
};

QByteArray encodeVariant(const Variant &value);
Variant decodeVariant(const QByteArray &bytes, const CborLimits &limits = {});

// A frame: the payload's length as 4 bytes, big-endian, then the payload.
QByteArray encodeFrame(const QByteArray &payload);

// Collects the bytes of a stream as they arrive and hands out complete frame
// payloads. A declared length above the maximum throws CborError as soon as
// the length is seen; the stream cannot be resynchronised after that, so the
// reader stays failed and throws again on every further use.
class FrameReader {
public:
    static constexpr std::int64_t kDefaultMaxPayload = 64 * 1024 * 1024;

    explicit FrameReader(std::int64_t maxPayload = kDefaultMaxPayload);

    // A new limit for the frames still to come (the one being read too).
    void setMaxPayload(std::int64_t maxPayload);
    std::int64_t maxPayload() const { return m_maxPayload; }

    void append(const QByteArray &bytes);
    // The next complete payload, or nothing while it is still incomplete.
    std::optional<QByteArray> next();
    // Bytes received and not yet handed out.
    std::int64_t pendingBytes() const;

private:
    void checkHeader();

    std::int64_t m_maxPayload;
    QByteArray m_buffer;
    qsizetype m_readPos = 0;
    std::optional<std::string> m_failure;
};

} // namespace kv
