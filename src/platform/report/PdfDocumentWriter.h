#pragma once
// kv::PdfDocumentWriter: writes the pages of a report run into a PDF file.
//
// Qt's PDF engine draws what differs from page to page (the fields, lines,
// barcodes), with texts as text in embedded font subsets. The page picture
// behind the fields is the same on every form, so it is written once, as a
// one-page PDF of its own, turned into a form XObject and placed on every
// form that shows it (twice on a sheet of half pages). The result goes into
// a temporary file beside the target and takes the target's name only when
// it is complete: a failed or cancelled write leaves no file that looks
// finished, and an older file of that name stays as it was.

#include <QString>

#include <functional>

namespace kv {

class PageStore;

class PdfDocumentWriter {
public:
    // Called after each page is drawn (pages done, pages in all); false stops
    // the write.
    using Progress = std::function<bool(int done, int total)>;

    explicit PdfDocumentWriter(const PageStore &pages) : m_pages(pages) {}

    void setTitle(const QString &title) { m_title = title; }
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Writes pages from..to (0: the last). False when the progress callback
    // stopped it; throws ReportError when the file cannot be written. In
    // both cases nothing is left under fileName that was not there before.
    bool write(const QString &fileName, int fromPage = 1, int toPage = 0) const;

private:
    const PageStore &m_pages;
    QString m_title;
    Progress m_progress;
};

} // namespace kv
