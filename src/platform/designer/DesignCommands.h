#pragma once
// Undoable designer changes: geometry of components (move, resize, align,
// size, scale), one property value (the inspector) and the paint order of a
// band's components (bring to front, send to back). Commands hold guarded
// pointers: a component deleted since is skipped.

#include "platform/report/ReportPrintable.h"
#include "platform/report/TQRBand.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QUndoCommand>
#include <QVariant>

#include <functional>
#include <vector>

namespace kv {

namespace design {

QRect itemRect(const ReportPrintable &item);
void setItemRect(ReportPrintable &item, const QRect &rect);
// Puts the band's components into this order (missing ones keep theirs
// after the listed ones).
void setPaintOrder(TQRBand &band, const QList<QPointer<ReportPrintable>> &order);

} // namespace design

using DesignChanged = std::function<void()>;

struct GeometryChange {
    QPointer<ReportPrintable> item;
    QRect before;
    QRect after;
};

class GeometryCommand : public QUndoCommand {
public:
    // mergeId >= 0 lets successive changes of the same components of that
    // kind (key moves) become one undo step.
    GeometryCommand(const QString &text, std::vector<GeometryChange> changes, DesignChanged changed,
                    int mergeId = -1);
    void undo() override;
    void redo() override;
    int id() const override { return m_mergeId; }
    bool mergeWith(const QUndoCommand *other) override;

private:
    void apply(bool forward);
    std::vector<GeometryChange> m_changes;
    DesignChanged m_changed;
    int m_mergeId;
};

class PropertyCommand : public QUndoCommand {
public:
    PropertyCommand(QObject *object, const QByteArray &name, QVariant before, QVariant after, DesignChanged changed);
    void undo() override;
    void redo() override;

private:
    void apply(const QVariant &value);
    QPointer<QObject> m_object;
    QByteArray m_name;
    QVariant m_before;
    QVariant m_after;
    DesignChanged m_changed;
};

class OrderCommand : public QUndoCommand {
public:
    OrderCommand(const QString &text, TQRBand *band, QList<QPointer<ReportPrintable>> before,
                 QList<QPointer<ReportPrintable>> after, DesignChanged changed);
    void undo() override;
    void redo() override;

private:
    void apply(const QList<QPointer<ReportPrintable>> &order);
    QPointer<TQRBand> m_band;
    QList<QPointer<ReportPrintable>> m_before;
    QList<QPointer<ReportPrintable>> m_after;
    DesignChanged m_changed;
};

} // namespace kv
