#include "report/layout/PageTextsJson.h"

#include "platform/report/PageStore.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

namespace kv {

namespace {

QJsonObject textObject(const PageText &text)
{
    const auto unit = [](double value) { return qint64(std::lround(value)); };
    return QJsonObject{{"component", text.component},
                       {"text", text.text},
                       {"form", text.form},
                       {"x", unit(text.rect.x())},
                       {"y", unit(text.rect.y())},
                       {"w", unit(text.rect.width())},
                       {"h", unit(text.rect.height())}};
}

} // namespace

QJsonDocument PageTextsJson::toJson(const PageStore &pages)
{
    QJsonArray pageArray;
    for (int number = 1; number <= pages.pageCount(); ++number) {
        QJsonArray texts;
        for (const PageText &text : pages.texts(number))
            texts.append(textObject(text));
        pageArray.append(QJsonObject{{"number", number}, {"texts", texts}});
    }
    return QJsonDocument(QJsonObject{{"unit", "0.1mm"}, {"pages", pageArray}});
}

void PageTextsJson::write(const PageStore &pages, const QString &fileName)
{
    const auto fail = [&fileName](const QString &reason) {
        throw PageTextsJsonError(
            QStringLiteral("The page texts cannot be written to %1: %2").arg(fileName, reason).toStdString());
    };
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    const QByteArray json = toJson(pages).toJson(QJsonDocument::Compact);
    if (file.write(json) != json.size())
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
}

QString PageTextsJson::requestedFile()
{
    return qEnvironmentVariable(kEnvironmentVariable);
}

} // namespace kv
