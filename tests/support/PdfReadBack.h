#pragma once
// A PDF file as outside tools read it back: qpdf's page count and the
// top-level outline entries (title, target page from 1).

#include "support/SmtpSink.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>
#include <vector>

namespace kvtest {

using PdfOutline = std::vector<std::pair<QString, int>>;

inline int pdfPageCount(const QString &file)
{
    return toolOutput(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), file}).toInt();
}

// Nested entries fail the check: the documents have one level.
inline PdfOutline pdfOutline(const QString &file)
{
    const QJsonDocument json = QJsonDocument::fromJson(
        toolOutput(QStringLiteral("qpdf"), {QStringLiteral("--json"), QStringLiteral("--json-key=outlines"), file})
            .toUtf8());
    PdfOutline entries;
    for (const QJsonValue &entry : json[QLatin1String("outlines")].toArray()) {
        if (!entry[QLatin1String("kids")].toArray().isEmpty())
            entries.emplace_back(QStringLiteral("<nested>"), 0);
        entries.emplace_back(entry[QLatin1String("title")].toString(), entry[QLatin1String("destpageposfrom1")].toInt());
    }
    return entries;
}

} // namespace kvtest
