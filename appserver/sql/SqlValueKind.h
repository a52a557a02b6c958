#pragma once

namespace slip {

// What the translator knows about the type of a value. It decides whether
// "+" adds numbers or joins texts, and how CONVERT reads its argument.
enum class SqlValueKind {
    Unknown,  // a parameter, or a column the catalogue does not know
    Null,     // the NULL literal
    Text,
    Number,
    DateTime, // GETDATE(); stored dates are 8-character texts
};

} // namespace slip
