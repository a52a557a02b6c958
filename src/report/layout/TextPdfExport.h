#pragma once
// TextPdfExport: slips of a run as vector PDF files (fields as text in
// embedded font subsets, the form picture once per file: PdfDocumentWriter),
// either one file for all of them or one file per slip named
// "<base>-<type>-<number>.pdf". Every file has a bookmark per slip at the
// slip's first page, titled like the slip index row, and the run's title,
// author, subject and keywords (the slips' keys).
//
// The files are written under staging names beside their targets and take
// their names together once every one is complete: a cancelled or failed
// export leaves none of them, and older files of those names stay as they
// were. Each slip exported then gets a ledger row (a PDF file; an export
// raises no print count).

#include "report/layout/PreviewSlipIndex.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kv {

class PageStore;
class TfrmVRBaseFmt;

class TextPdfExport {
public:
    using Slip = PreviewSlipIndex::Slip;
    // Pages done of all pages, and the slip in progress; false stops.
    using Progress = std::function<bool(int done, int total, const QString &slip)>;

    // slips: those to export, in page order (from the run's slip index).
    TextPdfExport(const PageStore &pages, std::vector<Slip> slips);

    void setTitle(const QString &title) { m_title = title; }
    void setAuthor(const QString &author) { m_author = author; }
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // The layout whose print-count requests name the slips for the ledger;
    // none: no ledger rows.
    void setLedger(TfrmVRBaseFmt *layout) { m_layout = layout; }

    // Writes base + ".pdf" with the pages of every slip (a ".pdf" ending of
    // base is taken as that), or with perSlip one file per slip. A run whose
    // index told no slip goes into one file. Returns the files written,
    // none when the progress stopped the export; throws ReportError when a
    // file cannot be written.
    QStringList write(const QString &base, bool perSlip) const;
    // The pages write goes through in all (the total of its progress).
    int pageTotal(bool perSlip) const;

    // The per-slip file names, unique within the list: a second slip whose
    // name is taken (the same slip met again, or a name made safe into the
    // same text) gets "-2", "-3", ... before ".pdf".
    static QStringList slipFileNames(const QString &base, const std::vector<Slip> &slips);
    // Type or number as a part of a file name: characters a file system or
    // a shell would take for something else become "_".
    static QString safeNamePart(const QString &text);
    // "5401-20240301001 2024/03/01 生产部": the slip index row.
    static QString bookmarkTitle(const Slip &slip);

private:
    struct File;
    std::vector<File> plan(const QString &base, bool perSlip) const;
    bool writeFile(const File &file, const QString &into, int &done, int total) const;
    void recordLedger(const std::vector<File> &files) const;

    const PageStore &m_pages;
    std::vector<Slip> m_slips;
    QString m_title;
    QString m_author;
    Progress m_progress;
    TfrmVRBaseFmt *m_layout = nullptr;
};

} // namespace kv
