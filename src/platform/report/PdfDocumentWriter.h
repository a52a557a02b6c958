#pragma once
// kv::PdfDocumentWriter: writes the pages of a report run into a PDF file.
//
// Qt's PDF engine draws what differs from page to page (the fields, lines,
// barcodes), with texts as text in embedded font subsets. The page picture
// behind the fields is the same on every form, so it is drawn once, as a
// page after the sheets, and the file is spliced (PdfFormSplice) into one
// where that page is a form XObject placed on every form that shows it
// (twice on a sheet of half pages). The result goes into
// a temporary file beside the target and takes the target's name only when
// it is complete: a failed or cancelled write leaves no file that looks
// finished, and an older file of that name stays as it was.
//
// The document can carry an outline (bookmarks to pages) and, beside its
// title, an author, a subject and keywords in its information dictionary;
// texts that are not plain ASCII are written as UTF-16BE with a byte-order
// mark, as PDF text strings are.

#include <QString>

#include <functional>
#include <vector>

namespace kv {

class PageStore;

class PdfDocumentWriter {
public:
    // Called after each page is drawn (pages done, pages in all); false stops
    // the write.
    using Progress = std::function<bool(int done, int total)>;

    // A top-level outline entry; page is 1-based within the pages written.
    struct Bookmark {
        QString title;
        int page = 1;
    };
    // What the information dictionary says beside the title (empty: left out).
    struct Metadata {
        QString author;
        QString subject;
        QString keywords;
    };

    explicit PdfDocumentWriter(const PageStore &pages) : m_pages(pages) {}

    void setTitle(const QString &title) { m_title = title; }
    // Entries pointing outside the pages written are left out.
    void setBookmarks(std::vector<Bookmark> bookmarks) { m_bookmarks = std::move(bookmarks); }
    void setMetadata(const QString &author, const QString &subject, const QString &keywords)
    {
        m_metadata = Metadata{author, subject, keywords};
    }
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Writes pages from..to (0: the last). False when the progress callback
    // stopped it; throws ReportError when the file cannot be written. In
    // both cases nothing is left under fileName that was not there before.
    bool write(const QString &fileName, int fromPage = 1, int toPage = 0) const;

private:
    const PageStore &m_pages;
    QString m_title;
    std::vector<Bookmark> m_bookmarks;
    Metadata m_metadata;
    Progress m_progress;
};

} // namespace kv
