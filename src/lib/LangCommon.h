#pragma once
// Interface-language resources: the language folder of the shell, lookup of
// messages in the ".Lng" files (XML, one element per key with the text in its
// "Msg" attribute) and the module's format routine for messages with
// arguments.

#include "platform/Variant.h"

#include <QObject>

#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
}

namespace kv {

// Whether a component reads the shell's client or server settings.
class KvDesign {
    Q_GADGET
public:
    enum TDesignType { dtClient, dtServer };
    Q_ENUM(TDesignType)
};
using TDesignType = KvDesign::TDesignType;

// The language folder of the client or server settings ("/"-terminated),
// empty when the interface code page has none or it does not exist.
std::string LanguageDirectory(TDesignType designType);

// Loads a ".Lng" file into doc. The file may be UTF-8 or, from an older
// installation, GB18030. False with the parser's reason (or "Cannot Find
// File <name>!") when it cannot be read or parsed.
bool LoadLanguageFile(const std::string &fileName, pugi::xml_document &doc, std::string &reason);

// The "Msg" attribute of the first element named key in
// <language folder>/<section>.Lng; defaultText when the folder, the file or
// the element is missing or the file does not parse. Never raises.
std::string GetMessage(TDesignType designType, std::string_view section, std::string_view key,
                       std::string_view defaultText);

// GetMessage with the looked-up text used as a format for args (FormatText).
std::string GetMessage(TDesignType designType, std::string_view section, std::string_view key,
                       std::string_view defaultText, const std::vector<Variant> &args);

// The module's format routine: "%" [index ":"] ["-"] [width] ["." precision]
// type, with the types d, u, x (integers), f, n (thousands separated), e, g
// (reals), s (any value as text), and "%%" for a percent sign. Width and
// precision may be "*" to take them from the arguments. A directive whose
// argument is missing or of the wrong kind is copied to the result as it
// stands: a message must never fail to show because of its arguments.
std::string FormatText(std::string_view format, const std::vector<Variant> &args);

} // namespace kv
