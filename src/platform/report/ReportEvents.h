#pragma once
// Events of the report engine. Every event is a kv::EventHandler property,
// so layouts and the designer bind handlers by name; the arguments below are
// what the engine passes (handlers cast the EventArgs they receive).

#include "lib/EventHandler.h"

#include <string>

namespace kv {

// Report BeforePrint: clearing printReport produces no pages at all.
struct ReportPrintArgs : EventArgs {
    bool printReport = true;
};

// Band BeforePrint: clearing printBand leaves the band (and its child bands)
// out of this place of the report.
struct BandPrintArgs : EventArgs {
    bool printBand = true;
};

// Band AfterPrint: whether the band was printed and by how much it grew
// beyond its height (auto-stretching components), in the band's own units.
struct BandAfterPrintArgs : EventArgs {
    bool bandPrinted = false;
    int stretchHeight = 0;
};

// OnStartPage / OnEndPage of the report: the number of the page (form).
struct PageEventArgs : EventArgs {
    int pageNumber = 0;
};

// OnPrint of a text component: the text about to be printed (UTF-8); the
// handler may replace it.
struct TextPrintArgs : EventArgs {
    std::string value;
};

// OnInvalidChar of a barcode: a character its kind cannot encode, and the
// text that replaces it (empty drops the character).
struct BarcodeInvalidCharArgs : EventArgs {
    std::string character;
    int barcodeType = 0;
    std::string replacement;
};

} // namespace kv

// One published event of a report object: property Name of type
// kv::EventHandler, stored in the member m_Name. Leaves the access at "public:".
#define KV_REPORT_EVENT(Name)                                                                                    \
    Q_PROPERTY(kv::EventHandler Name READ event##Name WRITE setEvent##Name)                                      \
public:                                                                                                          \
    kv::EventHandler event##Name() const { return m_##Name; }                                                   \
    void setEvent##Name(const kv::EventHandler &handler) { m_##Name = handler; }                                \
                                                                                                                 \
private:                                                                                                         \
    kv::EventHandler m_##Name;                                                                                   \
                                                                                                                 \
public:
