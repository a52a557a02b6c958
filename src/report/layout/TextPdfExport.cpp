#include "report/layout/TextPdfExport.h"

#include "platform/report/PageStore.h"
#include "platform/report/PdfDocumentWriter.h"
#include "platform/report/ReportError.h"
#include "report/layout/OutputLedger.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace kv {

namespace {

constexpr qsizetype kMaxNamePart = 60;

QString withoutPdfEnding(const QString &base)
{
    return base.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? base.chopped(4) : base;
}

// A name beside the target that goes away unless it is kept.
std::unique_ptr<QTemporaryFile> stagingFile(const QString &target)
{
    const QFileInfo info(target);
    auto file = std::make_unique<QTemporaryFile>(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                                 QStringLiteral(".export.XXXXXX"));
    if (!file->open())
        throw ReportError("Cannot write the PDF file " + target.toStdString() + ": " +
                          file->errorString().toStdString());
    file->close();
    return file;
}

} // namespace

// One file of the export: its pages and the slips on them.
struct TextPdfExport::File {
    QString name;
    int firstPage = 1, lastPage = 0;
    std::vector<Slip> slips;
};

TextPdfExport::TextPdfExport(const PageStore &pages, std::vector<Slip> slips)
    : m_pages(pages), m_slips(std::move(slips))
{
}

QString TextPdfExport::safeNamePart(const QString &text)
{
    QString part;
    for (const QChar c : text.trimmed().left(kMaxNamePart)) {
        const bool plain = c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
                           c == QLatin1Char('.');
        part += plain ? c : QLatin1Char('_');
    }
    // No hidden files, no "." or ".." steps out of the folder.
    if (part.startsWith(QLatin1Char('.')))
        part[0] = QLatin1Char('_');
    return part;
}

QString TextPdfExport::bookmarkTitle(const Slip &slip)
{
    QStringList parts;
    for (const QString &part : {slip.key(), slip.date, slip.party}) {
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    }
    return parts.join(QLatin1Char(' '));
}

QStringList TextPdfExport::slipFileNames(const QString &base, const std::vector<Slip> &slips)
{
    const QString stem = withoutPdfEnding(base);
    QStringList names;
    QSet<QString> taken;
    for (std::size_t i = 0; i < slips.size(); ++i) {
        const QString type = safeNamePart(slips[i].type);
        const QString number = safeNamePart(slips[i].number);
        QString name = stem;
        if (type.isEmpty() && number.isEmpty())
            name += QLatin1Char('-') + QString::number(i + 1);
        for (const QString &part : {type, number}) {
            if (!part.isEmpty())
                name += QLatin1Char('-') + part;
        }
        QString unique = name;
        for (int n = 2; taken.contains(unique); ++n)
            unique = name + QLatin1Char('-') + QString::number(n);
        taken.insert(unique);
        names << unique + QStringLiteral(".pdf");
    }
    return names;
}

std::vector<TextPdfExport::File> TextPdfExport::plan(const QString &base, bool perSlip) const
{
    std::vector<File> files;
    if (m_slips.empty()) {
        files.push_back(File{withoutPdfEnding(base) + QStringLiteral(".pdf"), 1, m_pages.pageCount(), {}});
        return files;
    }
    if (!perSlip) {
        File all{withoutPdfEnding(base) + QStringLiteral(".pdf"), m_slips.front().firstPage, 0, m_slips};
        for (const Slip &slip : m_slips)
            all.lastPage = std::max(all.lastPage, slip.lastPage);
        files.push_back(std::move(all));
        return files;
    }
    const QStringList names = slipFileNames(base, m_slips);
    for (std::size_t i = 0; i < m_slips.size(); ++i)
        files.push_back(File{names[qsizetype(i)], m_slips[i].firstPage, m_slips[i].lastPage, {m_slips[i]}});
    return files;
}

int TextPdfExport::pageTotal(bool perSlip) const
{
    int total = 0;
    for (const File &file : plan(QString(), perSlip))
        total += std::max(0, file.lastPage - file.firstPage + 1);
    return total;
}

QStringList TextPdfExport::write(const QString &base, bool perSlip) const
{
    const std::vector<File> files = plan(base, perSlip);
    const int total = pageTotal(perSlip);
    std::vector<std::unique_ptr<QTemporaryFile>> staged;
    int done = 0;
    for (const File &file : files) {
        staged.push_back(stagingFile(file.name));
        if (!writeFile(file, staged.back()->fileName(), done, total))
            return {}; // the staged files go with their handles
    }
    QStringList written;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(staged[i]->fileName()).constData(),
                                QFile::encodeName(files[i].name).constData(), error);
        if (error)
            throw ReportError("Cannot save the PDF file " + files[i].name.toStdString() + ": " + error.message());
        staged[i]->setAutoRemove(false);
        written << files[i].name;
    }
    recordLedger(files);
    return written;
}

bool TextPdfExport::writeFile(const File &file, const QString &into, int &done, int total) const
{
    PdfDocumentWriter writer(m_pages);
    writer.setTitle(m_title);
    std::vector<PdfDocumentWriter::Bookmark> bookmarks;
    QStringList keys;
    for (const Slip &slip : file.slips) {
        bookmarks.push_back({bookmarkTitle(slip), slip.firstPage - file.firstPage + 1});
        keys << slip.key();
    }
    writer.setBookmarks(std::move(bookmarks));
    QString subject;
    if (file.slips.size() == 1)
        subject = bookmarkTitle(file.slips.front());
    else if (!file.slips.empty())
        subject = keys.constFirst() + QStringLiteral(" … ") + keys.constLast();
    writer.setMetadata(m_author, subject, keys.join(QStringLiteral(", ")));
    // The slip of the page in progress: pages come in order, so the search
    // goes on from the slip found last.
    std::size_t slip = 0;
    const int before = done;
    writer.setProgress([&](int pagesDone, int) {
        done = before + pagesDone;
        const int page = file.firstPage + pagesDone - 1;
        while (slip + 1 < file.slips.size() && file.slips[slip + 1].firstPage <= page)
            ++slip;
        const QString key = file.slips.empty() ? QString() : file.slips[slip].key();
        return !m_progress || m_progress(done, total, key);
    });
    return writer.write(into, file.firstPage, file.lastPage);
}

void TextPdfExport::recordLedger(const std::vector<File> &files) const
{
    if (!m_layout)
        return;
    for (const File &file : files) {
        const output_ledger::Output output{output_ledger::kPdfFile, file.name.toStdString(), true, {}};
        for (const Slip &slip : file.slips)
            output_ledger::record(*m_layout, output, slip.firstForm, slip.lastForm);
    }
}

} // namespace kv
