#pragma once
// kv::LayoutValue: the value part of a "Prop = value" line of a layout text,
// parsed into what it spells (a bare word or number, a string, a list of
// strings or a set of names), and the writing of such values. Parsing checks
// everything: unbalanced quotes, character codes out of range, text that is
// not UTF-8 and trailing rubbish are errors, never guesses.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct LayoutValue {
    enum Kind { Atom, String, List, Set };

    Kind kind = Atom;
    std::string atom;               // Atom: a word or number as written
    QString text;                   // String
    QStringList items;              // List
    std::vector<std::string> names; // Set

    static constexpr int kMaxListItems = 10000;

    // Parses a value; nothing, with the reason in error, when it is malformed.
    static std::optional<LayoutValue> parse(std::string_view text, std::string &error);

    // 'a'#13'b': quoted parts, control characters as character codes.
    static std::string quote(const QString &text);
    // ( 'a' 'b' )
    static std::string quoteList(const QStringList &items);
    // [a, b]
    static std::string setText(const std::vector<std::string> &names);

    // Parses an integer atom (decimal or $hex); nothing when it is not one
    // or does not fit.
    static std::optional<long long> toInteger(std::string_view atom);
    static bool isIdentifier(std::string_view text);
};

} // namespace kv
