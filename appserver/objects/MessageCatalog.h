#pragma once
// The host's message catalogue: the text of a coded message ("E;000038")
// by kind letter and six-digit number. The company database's catalogue
// table (HOST_MESSAGE) is read first, so a site can reword a message; the
// built-in texts below answer for a message the table lacks. "%s" and "%d"
// mark where the caller's arguments go.

#include "db/Database.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace slip {

struct CatalogMessage {
    std::string kind;   // "E" error, "W" warning, "I" information, "R" text used inside messages
    std::string number; // six digits, "000038"
    std::string text;   // simplified Chinese
};

class MessageCatalog {
public:
    // Every message the report module raises, ordered by kind and number.
    static const std::vector<CatalogMessage> &defaultMessages();

    // Kind in upper case; a number of fewer than six digits zero-filled
    // ("1" -> "000001"), as a caller that took the sign off "-1" sends it.
    static std::string normalisedKind(std::string_view kind);
    static std::string normalisedNumber(std::string_view number);

    static std::optional<std::string> defaultText(std::string_view kind, std::string_view number);

    // Adds the built-in messages a company database's catalogue lacks (one
    // transaction; texts already there are kept). Returns how many were added.
    static int seed(Database &database, const std::string &companyDb);

    // The text the host shows when it has none for a code.
    static std::string missingText(std::string_view kind, std::string_view number);
};

} // namespace slip
