#pragma once
// TPrintPDF (unit libPDF): writes a PDF 1.4 file that shows one picture per
// page. The layout window uses it to turn the picture of one printed page
// into a PDF file: BeginDoc, DrawBitmap at the top-left corner, EndDoc.
//
// The whole file is built in memory and saved by EndDoc; no stream is
// compressed and no text is drawn. Every line ends with CR LF, and the
// object layout is fixed: 1 Info, 2 page content, 3 its length, 4 Outlines,
// 5-18 the fourteen standard fonts, 19 Pages, 20 Resources, then the images,
// the page and the catalog.

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <stdexcept>
#include <vector>

namespace kv {

// Raised by EndDoc when the file cannot be written.
class PdfFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A font number and a size; kept for the document, no operation uses it.
struct TPDFFont {
    int Number = 4;
    int Size = 12;
};

class TPrintPDF : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName MEMBER FileName)
    Q_PROPERTY(QString TITLE MEMBER TITLE)
    Q_PROPERTY(int PageNumber READ pageNumber)
    Q_PROPERTY(int PageWidth MEMBER PageWidth)
    Q_PROPERTY(int PageHeight MEMBER PageHeight)
    Q_PROPERTY(int LineWidth MEMBER LineWidth)
    Q_PROPERTY(QString Author MEMBER Author)
    Q_PROPERTY(QString Creator MEMBER Creator)
    Q_PROPERTY(QString Keywords MEMBER Keywords)
    Q_PROPERTY(QString Producer MEMBER Producer)
    Q_PROPERTY(QString Subject MEMBER Subject)
    Q_PROPERTY(bool Compress MEMBER Compress)

public:
    explicit TPrintPDF(QObject *owner = nullptr);
    ~TPrintPDF() override;

    QString FileName;
    QString TITLE;
    int PageWidth = 612;
    int PageHeight = 792;
    int LineWidth = 1;
    QString Author;
    QString Creator;
    QString Keywords;
    QString Producer;
    QString Subject;
    TPDFFont *Font = nullptr;
    bool Compress = false;

    int pageNumber() const { return m_pageNumber; }

    void BeginDoc();
    // Draws the bitmap with its top-left corner at (x, y) (page units from
    // the top-left), one page unit per pixel.
    void DrawBitmap(int x, int y, const QImage &bitmap);
    // Completes the document and writes it to FileName, replacing any file.
    // Throws PdfFileError when the file cannot be written.
    void EndDoc();

private:
    void appendObject(const QByteArray &object);
    void put(const QByteArray &piece);
    QByteArray beginObject() const;
    QByteArray infoObject() const;
    QByteArray contentObject() const;
    QByteArray fontObject(int index) const;
    QByteArray pagesObject(int pageObject) const;
    QByteArray resourcesObject(int resources) const;
    QByteArray pageObject(int pages, int resources) const;
    QByteArray catalogObject(int pages) const;
    QByteArray xrefAndTrailer() const;
    void save() const;

    std::vector<QByteArray> m_output; // the file in pieces, written one after the other
    qint64 m_outputSize = 0;
    QByteArray m_content;
    std::vector<qint64> m_offsets;     // start of object k+1 at index k; last: the xref
    std::vector<QByteArray> m_images;  // staged image objects, without their number line
    int m_pageNumber = 0;
    int m_objectCount = 0;
};

} // namespace kv
