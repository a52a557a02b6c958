#pragma once
// PageTextsJson: the texts a report run drew on its pages, as JSON, for
// checks that read a run from outside (erp-host --pages-json) and for
// search. The document:
//
//   {"unit":"0.1mm",
//    "pages":[{"number":1,
//              "texts":[{"component":"lblPageNo","text":"1","form":1,
//                        "x":1850,"y":120,"w":150,"h":40}, ...]}, ...]}
//
// x, y, w and h are the text's rectangle in page units, tenths of a
// millimetre from the top-left corner of the sheet, rounded to whole units.
// "form" numbers the forms through the run (two to a sheet on half pages).
// Texts keep the order in which the report printed them: band by band down
// the page, within a band in the order of its components.
//
// After every successful page generation the layout window writes its pages
// to the file named by the environment variable QIPR07_PAGES_JSON (set by
// erp-host --pages-json); each generation replaces the file.

#include <QJsonDocument>
#include <QString>

#include <stdexcept>

namespace kv {

class PageStore;

class PageTextsJsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PageTextsJson {
public:
    static constexpr const char *kEnvironmentVariable = "QIPR07_PAGES_JSON";

    static QJsonDocument toJson(const PageStore &pages);
    // Writes the document atomically: a reader never sees half a file, and
    // a failed write leaves an earlier file as it was. Throws
    // PageTextsJsonError naming the file and the reason.
    static void write(const PageStore &pages, const QString &fileName);
    // The file QIPR07_PAGES_JSON names; empty when none is asked for.
    static QString requestedFile();
};

} // namespace kv
