#include "faxserver/HylaFax.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace kvfax {

namespace {

constexpr int kFaxDpi = 200;
constexpr int kTimeoutMs = 120000;

void writeFaxPdf(const QString &path, const FaxJob &job)
{
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(kFaxDpi);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    for (std::size_t i = 0; i < job.files.size(); ++i) {
        const QImage page(QString::fromStdString(job.files[i]));
        if (page.isNull())
            throw FaxError("The fax page " + job.files[i] + " cannot be read");
        if (i == 0) {
            if (!painter.begin(&pdf))
                throw FaxError("The fax document cannot be written");
        } else {
            pdf.newPage();
        }
        const QRect area = painter.viewport();
        const QSize fitted = page.size().scaled(area.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(area.topLeft(), fitted), page);
    }
    if (!painter.isActive() || !painter.end())
        throw FaxError("The fax document cannot be written");
}

} // namespace

void submitToHylaFax(const FaxServer &server, const FaxJob &job)
{
    const QString sendfax = QStandardPaths::findExecutable(QStringLiteral("sendfax"));
    if (sendfax.isEmpty())
        throw FaxError("sendfax is not installed (package hylafax-client)");
    if (job.files.empty())
        throw FaxError("The fax job has no pages");
    QTemporaryDir work;
    if (!work.isValid())
        throw FaxError("No temporary folder for the fax document");
    const QString document = work.filePath(QStringLiteral("job.pdf"));
    writeFaxPdf(document, job);
    const QString host = QString::fromStdString(server.modem.empty() ? server.address : server.modem + "@" + server.address);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(sendfax, {QStringLiteral("-n"), QStringLiteral("-h"), host, QStringLiteral("-d"),
                            QString::fromStdString(job.number), QStringLiteral("-x"), QString::fromStdString(job.receiver),
                            QStringLiteral("-f"), QString::fromStdString(job.sender), document});
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        throw FaxError("sendfax did not finish");
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw FaxError("sendfax failed: " + QString::fromLocal8Bit(process.readAll()).trimmed().toStdString());
}

} // namespace kvfax
