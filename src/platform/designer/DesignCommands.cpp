#include "platform/designer/DesignCommands.h"

#include "platform/report/ReportPrintable.h"
#include "platform/report/TQRBand.h"

namespace kv {

namespace design {

QRect itemRect(const ReportPrintable &item)
{
    return QRect(item.left(), item.top(), item.width(), item.height());
}

void setItemRect(ReportPrintable &item, const QRect &rect)
{
    item.setLeft(rect.left());
    item.setTop(rect.top());
    item.setWidth(rect.width());
    item.setHeight(rect.height());
}

void setPaintOrder(TQRBand &band, const QList<QPointer<ReportPrintable>> &order)
{
    // QObject has no way to insert a child at an index: taking children out
    // and back appends them, so the listed ones are re-appended in order and
    // every other component after them.
    QList<ReportPrintable *> rest = band.printables();
    QList<ReportPrintable *> wanted;
    for (const QPointer<ReportPrintable> &item : order) {
        if (item && item->parent() == &band) {
            wanted << item.data();
            rest.removeAll(item.data());
        }
    }
    for (ReportPrintable *item : wanted + rest) {
        item->setParent(nullptr);
        item->setParent(&band);
    }
}

} // namespace design

GeometryCommand::GeometryCommand(const QString &text, std::vector<GeometryChange> changes, DesignChanged changed,
                                 int mergeId)
    : QUndoCommand(text), m_changes(std::move(changes)), m_changed(std::move(changed)), m_mergeId(mergeId)
{
}

void GeometryCommand::apply(bool forward)
{
    for (const GeometryChange &change : m_changes) {
        if (change.item)
            design::setItemRect(*change.item, forward ? change.after : change.before);
    }
    if (m_changed)
        m_changed();
}

void GeometryCommand::undo() { apply(false); }
void GeometryCommand::redo() { apply(true); }

bool GeometryCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const GeometryCommand *>(other);
    if (next->m_changes.size() != m_changes.size())
        return false;
    for (std::size_t index = 0; index < m_changes.size(); ++index) {
        if (next->m_changes[index].item != m_changes[index].item)
            return false;
    }
    for (std::size_t index = 0; index < m_changes.size(); ++index)
        m_changes[index].after = next->m_changes[index].after;
    return true;
}

PropertyCommand::PropertyCommand(QObject *object, const QByteArray &name, QVariant before, QVariant after,
                                 DesignChanged changed)
    : QUndoCommand(QString::fromLatin1(name)), m_object(object), m_name(name), m_before(std::move(before)),
      m_after(std::move(after)), m_changed(std::move(changed))
{
}

void PropertyCommand::apply(const QVariant &value)
{
    if (m_object)
        m_object->setProperty(m_name.constData(), value);
    if (m_changed)
        m_changed();
}

void PropertyCommand::undo() { apply(m_before); }
void PropertyCommand::redo() { apply(m_after); }

OrderCommand::OrderCommand(const QString &text, TQRBand *band, QList<QPointer<ReportPrintable>> before,
                           QList<QPointer<ReportPrintable>> after, DesignChanged changed)
    : QUndoCommand(text), m_band(band), m_before(std::move(before)), m_after(std::move(after)),
      m_changed(std::move(changed))
{
}

void OrderCommand::apply(const QList<QPointer<ReportPrintable>> &order)
{
    if (m_band)
        design::setPaintOrder(*m_band, order);
    if (m_changed)
        m_changed();
}

void OrderCommand::undo() { apply(m_before); }
void OrderCommand::redo() { apply(m_after); }

} // namespace kv
