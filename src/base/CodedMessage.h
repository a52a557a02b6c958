#pragma once
// A coded message: a kind letter, ";", a six-digit number and optionally
// ";"-separated format arguments ("E;000038", "E;000030;text"). The kind
// decides how the message is shown.

#include "platform/Prompter.h"
#include "platform/Variant.h"

#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct CodedMessage {
    static constexpr int kMaxArguments = 10;

    std::string kind;
    std::string number;            // as written, sign included
    std::vector<Variant> arguments; // at most ten texts

    static CodedMessage parse(std::string_view code);

    // The number's value; 0 when it is not a number.
    int value() const;
    // Positive numbers are shown, the others only recorded.
    bool isShown() const { return value() > 0; }
    // The number as looked up: a number <= 0 loses its first character.
    std::string lookupNumber() const;

    // Dialog type of a reported message by kind: C, D, W warning; E error;
    // I information; Q confirmation; any other kind custom.
    static MessageType reportType(std::string_view kind);
    // Dialog type and buttons of ShowCodedMessage by kind.
    static void dialogOf(std::string_view kind, MessageType &type, MessageButtons &buttons);
};

} // namespace kv
