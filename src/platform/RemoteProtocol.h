#pragma once
// Messages of slipserv's RPC, shared by the daemon (appserver/net) and the
// client proxy (RemoteConnection, RemoteDispatch). Every message is one
// zero-based, one-dimensional variant array, sent as the CBOR payload of a
// length-prefixed frame (VariantCbor.h). The first element names the kind.
//
// Requests, client to server:
//   ["hello", token, version]               must come first; a wrong token or
//                                           version closes the connection
//   ["create", progId]                      a new object of a registered class
//   ["invoke", objectId, name, kind, args]  kind: 0 method, 1 property read,
//                                           2 property write; args: an array
//                                           of the argument values
//   ["release", objectId]                   the client drops its proxy; no reply
//
// Replies, one per request but "release":
//   ["ok", value, objectRef, changes]       value: the result (Empty for hello
//                                           and create); objectRef: Empty, or
//                                           [objectId, className] when the
//                                           result is an automation object
//                                           (create answers with the new one);
//                                           changes: the arguments the call
//                                           changed, each [index, value,
//                                           objectRef], so that by-reference
//                                           arguments are written back
//   ["error", message]                      the request failed; after an error
//                                           about the connection itself (bad
//                                           frame, wrong token, timeout) the
//                                           server closes it
//
// Objects travel only by reference and only from server to client: as a
// result or a changed argument. An object inside an array, or an object sent
// as an argument, is refused with an error naming the argument.

#include "platform/Dispatch.h"
#include "platform/Variant.h"
#include "platform/VariantCbor.h"

#include <QByteArray>

#include <string_view>
#include <vector>

namespace kv::remote {

inline constexpr int kProtocolVersion = 1;

inline constexpr std::string_view kHello = "hello";
inline constexpr std::string_view kCreate = "create";
inline constexpr std::string_view kInvoke = "invoke";
inline constexpr std::string_view kRelease = "release";
inline constexpr std::string_view kOk = "ok";
inline constexpr std::string_view kError = "error";

// The frame payload of a message.
QByteArray encodeMessage(std::vector<Variant> items);
// The elements of a message; CborError when the payload is not a
// one-dimensional array whose first element is a text.
std::vector<Variant> decodeMessage(const QByteArray &payload, const CborLimits &limits = {});

int kindCode(InvokeKind kind);
// DispatchError for a code that names no kind.
InvokeKind kindFromCode(const Variant &code);

// An element of a message as an integer or a text; DispatchError naming the
// element when it has another type.
int integerAt(const std::vector<Variant> &message, std::size_t index, const char *what);
std::string textAt(const std::vector<Variant> &message, std::size_t index, const char *what);

} // namespace kv::remote
