#include "platform/layoutio/LayoutFile.h"

#include "platform/TextCodec.h"
#include "platform/layoutio/LayoutDocument.h"

#include <QFile>
#include <QSaveFile>

namespace kv {

bool LayoutFile::save(const QObject &root, const QObject *ancestor, const QString &fileName, std::string &error)
{
    const std::string text = ancestor ? LayoutText::WriteDifferences(root, *ancestor) : LayoutText::Write(root);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        error = "cannot write " + fileName.toStdString() + ": " + file.errorString().toStdString();
        return false;
    }
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit()) {
        error = "cannot write " + fileName.toStdString() + ": " + file.errorString().toStdString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool LayoutFile::load(QObject &root, const QString &fileName, std::vector<LayoutProblem> &problems,
                      std::string &error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot open " + fileName.toStdString() + ": " + file.errorString().toStdString();
        return false;
    }
    if (file.size() > qint64(LayoutDocument::kMaxTextBytes)) {
        error = fileName.toStdString() + " is too large for a layout";
        return false;
    }
    const QByteArray bytes = file.read(qint64(LayoutDocument::kMaxTextBytes) + 1);
    if (file.error() != QFileDevice::NoError) {
        error = "cannot read " + fileName.toStdString() + ": " + file.errorString().toStdString();
        return false;
    }
    // Older installations wrote these files in the code page of the system.
    std::string_view raw(bytes.constData(), std::size_t(bytes.size()));
    const std::optional<std::string> text = decodeSettingsText(raw);
    if (!text) {
        error = fileName.toStdString() + " is neither UTF-8 nor GB18030 text";
        return false;
    }
    if (raw.starts_with("\xEF\xBB\xBF"))
        raw.remove_prefix(3);
    if (!isValidUtf8(raw))
        problems.push_back({0, "the file is not UTF-8 text; it was read as GB18030"});
    if (!LayoutText::Read(root, *text, problems)) {
        error = fileName.toStdString() + " holds no layout";
        return false;
    }
    return true;
}

bool SaveMyFormToFile(const QObject &root, const QObject *ancestor, const QString &fileName, std::string &error)
{
    return LayoutFile::save(root, ancestor, fileName, error);
}

bool LoadMyFormFromFile(QObject &root, const QString &fileName, std::vector<LayoutProblem> &problems,
                        std::string &error)
{
    return LayoutFile::load(root, fileName, problems, error);
}

} // namespace kv
