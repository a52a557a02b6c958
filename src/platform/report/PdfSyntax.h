#pragma once
// kv::pdf_syntax: just enough of the PDF object syntax to rewrite the
// dictionaries of a file object by object: a dictionary's top-level entries
// as text (nested values are kept as they were written), references and
// arrays of references, numbers, and text strings for titles.

#include <QString>

#include <stdexcept>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kv::pdf_syntax {

// Thrown for text that is no PDF object of the expected kind.
struct SyntaxError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Dictionary {
public:
    // Parses "<< /Key value ... >>" (leading and trailing white space allowed).
    static Dictionary parse(std::string_view text);

    // The value's text as written ("9 0 R", "<< ... >>", "/Name"); empty when absent.
    std::string value(std::string_view key) const;
    bool has(std::string_view key) const;
    // Replaces the value of key, or adds the entry at the end.
    void set(std::string_view key, std::string value);
    void remove(std::string_view key);

    std::string text() const;

private:
    std::vector<std::pair<std::string, std::string>> m_entries; // "/Key", value text
};

// Where the first value of text ends (leading white space skipped).
std::size_t valueEnd(std::string_view text);

// The object number of "N G R"; 0 when the text is no reference.
int reference(std::string_view text);
std::string referenceText(int object);
// The references of "[a 0 R b 0 R ...]".
std::vector<int> references(std::string_view arrayText);
// The numbers of "[x y ...]".
std::vector<double> numbers(std::string_view arrayText);
// A name's text without the slash ("/Font" gives "Font").
std::string name(std::string_view text);
// A number written compactly ("12.5", "-3", never an exponent).
std::string numberText(double value);
// A text string: ASCII as a literal, anything else as UTF-16BE with a byte-order mark.
std::string textString(const QString &text);

} // namespace kv::pdf_syntax
