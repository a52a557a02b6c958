#pragma once
// The tool window of design mode: the fields of the tables related to the
// report (list view "lvExtending", one row per SQL-builder field: caption,
// column, hint, table index, field index), the button that opens the
// relation wizard and the label tool "tbLabel". Dragging a row or the tool
// onto the layout starts a DesignDrag that the layout window's drop
// handlers decide on.

#include <QStringList>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <functional>

class QMimeData;
class QPushButton;

namespace kv {

class TVRSQLBuilder;

// The field list: its drags carry the dragged row as a DesignDrag.
class ExtensionFieldList : public QTreeWidget {
    Q_OBJECT

public:
    explicit ExtensionFieldList(QWidget *parent = nullptr);
    // Shows the builder's fields; used ones are greyed and cannot be dragged.
    void fill(const TVRSQLBuilder &builder);
    // The caption and sub-items of a row, as a drag carries them.
    QStringList rowValues(int row) const;
    // The payload a drag of the row carries (the caller owns it); nullptr
    // for a row that cannot be dragged.
    QMimeData *dragData(int row) const;

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
};

// A tool button whose drag carries only its object name.
class DragToolButton : public QToolButton {
    Q_OBJECT

public:
    explicit DragToolButton(QWidget *parent = nullptr);
    // The payload a drag of this button carries.
    QMimeData *dragData() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPoint m_pressAt;
    bool m_pressed = false;
};

class ExtensionToolWindow : public QWidget {
    Q_OBJECT

public:
    // texts: the window caption, the wizard button's and the label tool's
    // captions and the list's column captions, already localised.
    struct Texts {
        QString caption;
        QString wizard;
        QString label;
        QStringList columns;
    };
    ExtensionToolWindow(QWidget *owner, const Texts &texts, std::function<void()> runWizard);

    ExtensionFieldList *lvExtending = nullptr;
    QPushButton *btnRelation = nullptr;
    DragToolButton *tbLabel = nullptr;

    void refresh(const TVRSQLBuilder &builder) { lvExtending->fill(builder); }

private:
    std::function<void()> m_runWizard;
};

} // namespace kv
