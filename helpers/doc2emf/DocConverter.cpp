#include "DocConverter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace doc2emf {

namespace {

QString suffixOf(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

// Runs a program to its end; the message names it and says what it printed.
ConversionResult run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {false, QStringLiteral("cannot start %1: %2").arg(program, process.errorString())};
    if (!process.waitForFinished(DocConverter::kTimeoutSeconds * 1000)) {
        process.kill();
        process.waitForFinished();
        return {false, QStringLiteral("%1 did not finish within %2 seconds").arg(program).arg(DocConverter::kTimeoutSeconds)};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {false, QStringLiteral("%1 failed (exit code %2): %3")
                           .arg(program)
                           .arg(process.exitCode())
                           .arg(QString::fromLocal8Bit(process.readAll()).trimmed())};
    return {true, {}};
}

} // namespace

bool DocConverter::isPdf(const QString &path)
{
    return suffixOf(path) == QLatin1String("pdf");
}

bool DocConverter::isDocument(const QString &path)
{
    static const QStringList kinds{QStringLiteral("odt"), QStringLiteral("fodt"), QStringLiteral("docx"),
                                   QStringLiteral("doc"),  QStringLiteral("rtf"),  QStringLiteral("ott")};
    return kinds.contains(suffixOf(path));
}

ConversionResult DocConverter::convert(const QString &input, const QString &output) const
{
    if (!QFileInfo(input).isFile())
        return {false, QStringLiteral("the document %1 does not exist").arg(input)};
    const QString kind = suffixOf(output);
    if (kind != QLatin1String("svg") && kind != QLatin1String("png"))
        return {false, QStringLiteral("the picture %1 must end in .svg or .png").arg(output)};
    if (!isPdf(input) && !isDocument(input))
        return {false, QStringLiteral("%1 is no document this program converts (ODT, DOCX, DOC, RTF, PDF)").arg(input)};
    QTemporaryDir work;
    if (!work.isValid())
        return {false, QStringLiteral("no temporary folder: %1").arg(work.errorString())};
    QString pdf = QFileInfo(input).absoluteFilePath();
    if (!isPdf(input)) {
        const ConversionResult converted = documentToPdf(pdf, work.path(), pdf);
        if (!converted.ok)
            return converted;
    }
    // Written next to the target first, so a failure keeps the old picture.
    const QString picture = work.filePath(QStringLiteral("page.") + kind);
    const ConversionResult drawn = pdfToPicture(pdf, picture);
    if (!drawn.ok)
        return drawn;
    QFile::remove(output);
    if (!QFile::copy(picture, output))
        return {false, QStringLiteral("cannot write %1").arg(output)};
    return {true, {}};
}

ConversionResult DocConverter::documentToPdf(const QString &input, const QString &folder, QString &pdf) const
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return {false, QStringLiteral("LibreOffice (soffice) was not found: install the Debian package "
                                      "libreoffice-writer-nogui to convert documents")};
    // A profile of its own: a LibreOffice the user has open must not be
    // asked to do the work, and its profile stays untouched.
    const QString profile = QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("profile"))).toString();
    const ConversionResult converted =
        run(soffice, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                      QStringLiteral("--norestore"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                      QStringLiteral("--outdir"), folder, input});
    if (!converted.ok)
        return converted;
    pdf = QDir(folder).filePath(QFileInfo(input).completeBaseName() + QStringLiteral(".pdf"));
    if (!QFileInfo(pdf).isFile())
        return {false, QStringLiteral("LibreOffice wrote no PDF for %1").arg(input)};
    return {true, {}};
}

ConversionResult DocConverter::pdfToPicture(const QString &pdf, const QString &output) const
{
    const QString cairo = QStandardPaths::findExecutable(QStringLiteral("pdftocairo"));
    if (cairo.isEmpty())
        return {false, QStringLiteral("pdftocairo was not found: install the Debian package poppler-utils")};
    const QStringList firstPage{QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1")};
    if (suffixOf(output) == QLatin1String("svg"))
        return run(cairo, QStringList{QStringLiteral("-svg")} + firstPage + QStringList{pdf, output});
    // pdftocairo adds ".png" to the name it is given.
    QString base = output;
    base.chop(4);
    return run(cairo, QStringList{QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"),
                                  QStringLiteral("96")}
                          + firstPage + QStringList{pdf, base});
}

} // namespace doc2emf
