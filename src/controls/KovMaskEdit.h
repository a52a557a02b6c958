#pragma once
// TKovMaskEdit: the bound editor of a selection panel, and the module's mask
// edit. EditMask takes the ERP's mask syntax ("9999/99/99;1; ": the mask,
// whether literals are part of the text, the blank character) and shows it
// through Qt's input mask. Text reads as the editor shows it: literals and
// blanks included, blanks read as spaces, literals left out when the mask
// says so. An editor with a mask and nothing typed thus reads as its empty
// mask ("    /  /  ").
//
// The change notification (OnChange and textEdited-like reactions of the
// owner) can be suppressed while an owner re-masks the editor.

#include "controls/ControlProperties.h"

#include <QLineEdit>

namespace kv {

class TKovMaskEdit : public QLineEdit {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Text READ Text WRITE setText_)
    Q_PROPERTY(QString EditMask READ editMask WRITE setEditMask)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(int MaxLength READ maxLength WRITE setMaxLength)
    Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)
    KV_PUBLISHED_EVENT(OnChange)
    KV_PUBLISHED_EVENT(OnClick)
    KV_PUBLISHED_EVENT(OnDblClick)
    KV_PUBLISHED_EVENT(OnEnter)
    KV_PUBLISHED_EVENT(OnExit)
    KV_PUBLISHED_EVENT(OnKeyDown)
    KV_PUBLISHED_EVENT(OnKeyPress)
    KV_PUBLISHED_EVENT(OnKeyUp)
    KV_PUBLISHED_EVENT(OnMouseDown)
    KV_PUBLISHED_EVENT(OnMouseMove)
    KV_PUBLISHED_EVENT(OnMouseUp)

public:
    explicit TKovMaskEdit(QWidget *parent = nullptr);

    // The text as the editor shows it (see the class comment).
    QString Text() const;
    void setText_(const QString &text);

    QString editMask() const { return m_editMask; }
    // The typed text is kept across the change where the new mask takes it.
    void setEditMask(const QString &mask);

    // True when a mask is set and nothing is typed into any of its places.
    bool showsEmptyMask() const;

    bool isChangeSuppressed() const { return m_changeSuppressed; }
    void setChangeSuppressed(bool suppressed) { m_changeSuppressed = suppressed; }

    // The Qt input mask for a mask in the ERP's syntax.
    static QString toQtInputMask(const QString &editMask);

signals:
    // Every change of the text unless suppressed, after OnChange.
    void changed();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    struct MaskParts {
        QString mask;
        bool saveLiterals = true;
        QChar blank = QLatin1Char('_');
    };
    static MaskParts splitMask(const QString &editMask);

    QString m_editMask;
    bool m_saveLiterals = true;
    QChar m_blank = QLatin1Char('_');
    bool m_changeSuppressed = false;
    // A text set while the editor had no focus shows from its start; the
    // caret goes to the end, where setting a text leaves it, when the editor
    // is entered (not by a click, which places it itself).
    bool m_showingStart = false;
};

} // namespace kv
