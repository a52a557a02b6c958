#pragma once
// The designer's property inspector: the published properties of one
// component in a grid (name and value), editable in place when editing is
// allowed: whole numbers, decimals, texts, yes/no, choices of an
// enumeration and fonts (through the font dialog). Pointers and lists are
// shown but not edited. The events page lists the bound event handlers; the
// layout designer keeps it hidden.
//
// An edit changes nothing itself: it is handed to onEdit (the designer
// turns it into an undoable command) and the grid is read again.

#include <QByteArray>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>

class QTabWidget;
class QTableWidget;
class QTableWidgetItem;

namespace kv {

class PropertyInspector : public QWidget {
    Q_OBJECT
public:
    explicit PropertyInspector(QWidget *parent = nullptr);

    void setObject(QObject *object);
    QObject *object() const { return m_object; }
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    void setEventsPageVisible(bool visible);
    bool isEventsPageVisible() const;
    // Reads every value again (after the component changed elsewhere).
    void refresh();
    void refreshLater();

    // The grid row of a property; -1 when it is not listed.
    int rowOf(const QByteArray &name) const;

    std::function<void(QObject *, const QByteArray &, const QVariant &)> onEdit;

private:
    void fillProperties();
    void fillEvents();
    void addRow(int propertyIndex);
    void textEdited(QTableWidgetItem *item);
    void editFont(const QByteArray &name);
    void edit(const QByteArray &name, const QVariant &value);

    QTabWidget *m_pages;
    QTableWidget *m_properties;
    QTableWidget *m_events;
    QPointer<QObject> m_object;
    bool m_editable = true;
    bool m_filling = false;
};

} // namespace kv
