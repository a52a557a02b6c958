#pragma once
// Ledger rows of outputs that raise no print count: an export from the
// preview (picture files, vector PDF files) and a print that failed. Each
// slip on the forms of the output gets its own row with the slip's forms
// among them, through the program server's RecordPrintLedger. A row the
// server refuses is noted in the alert file: the output itself stands.

#include <string>
#include <utility>

namespace kv {

class PageStore;
class TfrmVRBaseFmt;

namespace output_ledger {

// The ledger's kinds of output.
constexpr const char *kPrinter = "1";
constexpr const char *kPdfFile = "2";
constexpr const char *kPictureFile = "3";
constexpr const char *kMail = "4";
constexpr const char *kFax = "5";

struct Output {
    const char *kind = kPictureFile;
    std::string target; // printer name or file name
    bool success = true;
    std::string message; // why a failed output failed
};

// One row per slip on forms first..last of the layout's run.
void record(TfrmVRBaseFmt &layout, const Output &output, int firstForm, int lastForm);

// The forms printed on pages first..last; {1, 0} when there are none.
std::pair<int, int> formsOfPages(const PageStore &pages, int firstPage, int lastPage);

} // namespace output_ledger

} // namespace kv
