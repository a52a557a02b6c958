#pragma once
// Qt's own texts (standard buttons, message boxes, file and print dialogs,
// the calendar) in the program's interface language: Qt's catalogues for
// simplified Chinese with interface code page 936, traditional Chinese with
// 950, and Qt's built-in English with any other page (437). The catalogues
// are installed once per change of language and removed on the way back to
// English; the default locale follows, for month and day names.

#include <QString>

#include <string>

namespace kv {

class QtTranslations {
public:
    // The Qt language of an interface code page: "zh_CN", "zh_TW" or empty
    // for English.
    static QString languageOf(const std::string &uiCodePage);

    // Makes Qt speak the language of the code page. False when the language
    // is Chinese but Qt's catalogue for it is not installed (Qt then speaks
    // English).
    static bool apply(const std::string &uiCodePage);

    // The language installed now; empty for English.
    static QString current();

    // The folder Qt's catalogues are read from.
    static QString folder();
};

} // namespace kv
