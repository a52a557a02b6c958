#pragma once
// Condition packages and Execute parameters arrive on the command line as
// JSON. Arrays become zero-based variant arrays, whole numbers 32-bit
// integers (64-bit when they do not fit), other numbers doubles, null the
// null variant. JSON objects have no variant counterpart and are refused.

#include "platform/Variant.h"

#include <stdexcept>
#include <string>

namespace erphost {

class JsonVariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a JSON text into a variant; JsonVariantError says what is wrong.
kv::Variant variantFromJson(const std::string &json);

} // namespace erphost
