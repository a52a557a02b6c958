#pragma once
// Turns the first page of a document into a page picture a layout can use
// as its background. Word-processor documents (ODT, FODT, DOCX, DOC, RTF)
// go through LibreOffice's headless converter to PDF; the first page of the
// PDF becomes an SVG or PNG (96 dpi) with poppler's pdftocairo.

#include <QString>

namespace doc2emf {

struct ConversionResult {
    bool ok = false;
    QString message; // what went wrong, in plain words; empty on success
};

class DocConverter {
public:
    // Seconds one outside program may take (the first start of LibreOffice
    // sets up its profile and is slow).
    static constexpr int kTimeoutSeconds = 180;

    // output must end in .svg or .png; an existing output is replaced only
    // when the conversion succeeded.
    ConversionResult convert(const QString &input, const QString &output) const;

    static bool isPdf(const QString &path);
    static bool isDocument(const QString &path);

private:
    ConversionResult documentToPdf(const QString &input, const QString &folder, QString &pdf) const;
    ConversionResult pdfToPicture(const QString &pdf, const QString &output) const;
};

} // namespace doc2emf
