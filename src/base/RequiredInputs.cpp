#include "base/RequiredInputs.h"

#include "controls/KovListView.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "lib/LibVCLs.h"

#include <QStringList>

namespace kv {

namespace {

bool maskEditIsEmpty(const TKovMaskEdit *edit)
{
    return edit->showsEmptyMask() || edit->Text().trimmed().isEmpty();
}

} // namespace

bool RequiredInputs::Entry::isChecked() const
{
    const QString trimmed = flag.trimmed();
    bool isNumber = false;
    trimmed.toLongLong(&isNumber);
    return !isNumber && trimmed.compare(QLatin1String("N"), Qt::CaseInsensitive) != 0;
}

std::vector<RequiredInputs::Entry> RequiredInputs::parse(const std::string &spec)
{
    std::vector<Entry> entries;
    for (const QString &item : QString::fromStdString(spec).split(QLatin1Char(','))) {
        const QStringList fields = item.split(QLatin1Char(';'));
        Entry entry;
        entry.name = fields.value(0).trimmed();
        if (entry.name.isEmpty())
            continue;
        entry.flag = fields.value(1);
        entry.part = fields.value(2).trimmed().toInt();
        entries.push_back(entry);
    }
    return entries;
}

QList<QWidget *> RequiredInputs::colouredInputs(QObject *component, int part)
{
    if (auto *panel = qobject_cast<TSelectPanel *>(component)) {
        switch (part) {
        case 1: return {panel->edBegin()};
        case 2: return {panel->edFinal()};
        case 3: return {panel->ListBox()};
        default: return {panel->edBegin(), panel->edFinal(), panel->ListBox()};
        }
    }
    auto *widget = qobject_cast<QWidget *>(component);
    if (widget && CheckPropertyExist(widget, "Color"))
        return {widget};
    return {};
}

bool RequiredInputs::isEmpty(QObject *component)
{
    if (auto *panel = qobject_cast<TSelectPanel *>(component)) {
        if (panel->IsRangeMode())
            return maskEditIsEmpty(panel->edBegin()) || maskEditIsEmpty(panel->edFinal());
        return panel->ListBox()->rowCount() == 0;
    }
    if (auto *edit = qobject_cast<TKovMaskEdit *>(component))
        return maskEditIsEmpty(edit);
    return QString::fromStdString(GetStringProperty(component, "Text")).trimmed().isEmpty();
}

QWidget *RequiredInputs::focusTarget(QObject *component)
{
    if (auto *panel = qobject_cast<TSelectPanel *>(component))
        return panel->IsRangeMode() ? static_cast<QWidget *>(panel->edBegin()) : panel->ListBox();
    return qobject_cast<QWidget *>(component);
}

} // namespace kv
