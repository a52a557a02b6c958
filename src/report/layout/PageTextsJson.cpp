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

QJsonObject pageObject(const PageStore &pages, int number)
{
    QJsonArray texts;
    for (const PageText &text : pages.texts(number))
        texts.append(textObject(text));
    return QJsonObject{{"number", number}, {"texts", texts}};
}

} // namespace

QJsonDocument PageTextsJson::toJson(const PageStore &pages)
{
    QJsonArray pageArray;
    for (int number = 1; number <= pages.pageCount(); ++number)
        pageArray.append(pageObject(pages, number));
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
    // Page by page, so that a run of many thousand pages never holds the
    // whole document in memory; the result is the document toJson gives.
    const auto put = [&](const QByteArray &bytes) {
        if (file.write(bytes) != bytes.size())
            fail(file.errorString());
    };
    put(R"({"pages":[)");
    for (int number = 1; number <= pages.pageCount(); ++number) {
        if (number > 1)
            put(",");
        put(QJsonDocument(pageObject(pages, number)).toJson(QJsonDocument::Compact));
    }
    put(R"(],"unit":"0.1mm"})");
    if (!file.commit())
        fail(file.errorString());
}

QString PageTextsJson::requestedFile()
{
    return qEnvironmentVariable(kEnvironmentVariable);
}

} // namespace kv
