#include "base/ProgramIdentity.h"

#include <QFileInfo>
#include <QString>

namespace kv {

bool ProgramIdentity::IsLibraryFile(std::string_view path)
{
    const QString suffix = QFileInfo(QString::fromUtf8(path.data(), qsizetype(path.size()))).suffix();
    return suffix.compare(QLatin1String("so"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("dll"), Qt::CaseInsensitive) == 0;
}

std::string ProgramIdentity::ProgramCodeOf(std::string_view path)
{
    const QFileInfo info(QString::fromUtf8(path.data(), qsizetype(path.size())));
    const QString name = info.fileName();
    const QString suffix = info.suffix();
    const qsizetype extension = suffix.isEmpty() ? 0 : suffix.size() + 1;
    const qsizetype length = name.size() - extension - (IsLibraryFile(path) ? 1 : 2);
    return name.left(qMax<qsizetype>(length, 6)).toUpper().toStdString();
}

std::string ProgramIdentity::HelpTopicOf(std::string_view programCode)
{
    const QString code = QString::fromUtf8(programCode.data(), qsizetype(programCode.size())).toUpper();
    if (code.size() < 4)
        return {};
    QChar kind = code.at(3);
    QString topic = QStringLiteral("1");
    if (kind == QLatin1Char('A') || kind == QLatin1Char('M')) {
        topic = kind == QLatin1Char('A') ? QStringLiteral("6") : QStringLiteral("8");
        if (code.size() < 5)
            return {};
        kind = code.at(4);
    }
    if (kind == QLatin1Char('B'))
        topic += QLatin1Char('3');
    else if (kind == QLatin1Char('R'))
        topic += QLatin1Char('2');
    else
        return {};
    return (topic + code.right(2) + QStringLiteral("0000")).toStdString();
}

} // namespace kv
