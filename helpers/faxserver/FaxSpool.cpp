#include "faxserver/FaxSpool.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

namespace kvfax {

namespace {

QByteArray jobDescription(const FaxJob &job, const QStringList &pages)
{
    QByteArray text = "[Job]\n";
    // Values stay on one line whatever the clerk typed.
    auto line = [](const std::string &value) { return QByteArray::fromStdString(value).replace('\n', ' ').replace('\r', ' '); };
    text += "Receiver=" + line(job.receiver) + "\n";
    text += "FaxNumber=" + line(job.number) + "\n";
    text += "Sender=" + line(job.sender) + "\n";
    text += "Created=" + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + "\n";
    text += "Pages=" + QByteArray::number(pages.size()) + "\n";
    for (int i = 0; i < pages.size(); ++i)
        text += "Page" + QByteArray::number(i + 1) + "=" + pages[i].toUtf8() + "\n";
    return text;
}

QStringList copyPages(const FaxJob &job, const QDir &into)
{
    QStringList pages;
    const int digits = std::max(3, int(std::to_string(job.files.size()).size()));
    for (std::size_t i = 0; i < job.files.size(); ++i) {
        const QFileInfo source(QString::fromStdString(job.files[i]));
        const QString name = QStringLiteral("page%1.%2").arg(int(i + 1), digits, 10, QLatin1Char('0')).arg(source.suffix().toLower());
        if (!QFile::copy(source.filePath(), into.filePath(name)))
            throw FaxError("The fax page " + job.files[i] + " cannot be copied into the spool");
        pages << name;
    }
    return pages;
}

} // namespace

std::string spoolJob(const std::string &spoolDir, const FaxJob &job)
{
    QDir spool(QString::fromStdString(spoolDir));
    if (!spool.mkpath(QStringLiteral(".")))
        throw FaxError("The fax spool directory " + spoolDir + " cannot be created");
    const QString id = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz-")) +
                       QUuid::createUuid().toString(QUuid::Id128).left(8);
    const QString partName = QLatin1Char('.') + id + QStringLiteral(".part");
    if (!spool.mkdir(partName))
        throw FaxError("A job folder cannot be made in " + spoolDir);
    QDir part(spool.filePath(partName));
    try {
        const QStringList pages = copyPages(job, part);
        QSaveFile description(part.filePath(QStringLiteral("job.ini")));
        const QByteArray text = jobDescription(job, pages);
        if (!description.open(QIODevice::WriteOnly) || description.write(text) != text.size() || !description.commit())
            throw FaxError("The job description cannot be written in " + spoolDir);
        if (!spool.rename(partName, id))
            throw FaxError("The job folder cannot be completed in " + spoolDir);
    } catch (...) {
        part.removeRecursively();
        throw;
    }
    return spool.filePath(id).toStdString();
}

} // namespace kvfax
