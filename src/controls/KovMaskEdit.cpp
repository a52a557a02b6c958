#include "controls/KovMaskEdit.h"

#include "controls/ControlEventBridge.h"

#include <QFocusEvent>

namespace kv {

namespace {

// Mask characters whose meaning differs between the two syntaxes; every
// character of the ERP's syntax not listed is a literal.
QString qtMaskCharacter(QChar c)
{
    switch (c.unicode()) {
    case 'L': return QStringLiteral("A");  // letter required
    case 'l': return QStringLiteral("a");  // letter optional
    case 'A': return QStringLiteral("N");  // letter or digit required
    case 'a': return QStringLiteral("n");  // letter or digit optional
    case 'C': return QStringLiteral("X");  // any character required
    case 'c': return QStringLiteral("x");  // any character optional
    case '0': return QStringLiteral("9");  // digit required
    case '9': return QStringLiteral("0");  // digit optional
    case '#': return QStringLiteral("#");  // digit or sign optional
    case '>': return QStringLiteral(">");
    case '<': return QStringLiteral("<");
    case '_': return QStringLiteral(" ");  // a blank in the text
    default: break;
    }
    // Literals that Qt would read as mask characters are escaped.
    static const QString qtSpecial = QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\");
    return qtSpecial.contains(c) ? QStringLiteral("\\") + c : QString(c);
}

// For every position of the shown text: true where the user types, false
// for a literal of the Qt input mask.
QList<bool> inputPositions(const QString &qtMask)
{
    static const QString inputCharacters = QStringLiteral("AaNnXx90Dd#HhBb");
    QList<bool> positions;
    const qsizetype end = qtMask.indexOf(QLatin1Char(';')) < 0 ? qtMask.size() : qtMask.lastIndexOf(QLatin1Char(';'));
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = qtMask.at(i);
        if (c == QLatin1Char('\\') && i + 1 < end) {
            positions.append(false);
            ++i;
        } else if (c != QLatin1Char('>') && c != QLatin1Char('<') && c != QLatin1Char('!')) {
            positions.append(inputCharacters.contains(c));
        }
    }
    return positions;
}

} // namespace

TKovMaskEdit::TKovMaskEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (m_changeSuppressed)
            return;
        m_OnChange(this);
        emit changed();
    });
    new ControlEventBridge(this, ControlEventBridge::RaiseClicks);
}

TKovMaskEdit::MaskParts TKovMaskEdit::splitMask(const QString &editMask)
{
    MaskParts parts;
    parts.mask = editMask;
    const qsizetype length = editMask.size();
    const auto separatorAt = [&](qsizetype i) {
        return i >= 0 && editMask.at(i) == QLatin1Char(';') && (i == 0 || editMask.at(i - 1) != QLatin1Char('\\'));
    };
    // "mask;1;_": the last two fields are one character each.
    if (length >= 4 && separatorAt(length - 2) && separatorAt(length - 4)) {
        parts.blank = editMask.at(length - 1);
        parts.saveLiterals = editMask.at(length - 3) != QLatin1Char('0');
        parts.mask = editMask.left(length - 4);
    } else if (length >= 2 && separatorAt(length - 2)) {
        parts.saveLiterals = editMask.at(length - 1) != QLatin1Char('0');
        parts.mask = editMask.left(length - 2);
    }
    return parts;
}

QString TKovMaskEdit::toQtInputMask(const QString &editMask)
{
    const MaskParts parts = splitMask(editMask);
    if (parts.mask.isEmpty())
        return {};
    QString qtMask;
    for (qsizetype i = 0; i < parts.mask.size(); ++i) {
        const QChar c = parts.mask.at(i);
        if (c == QLatin1Char('!') && i == 0)
            continue; // "blanks lead" only changes how the text is trimmed
        if (c == QLatin1Char('<') && i + 1 < parts.mask.size() && parts.mask.at(i + 1) == QLatin1Char('>')) {
            qtMask += QLatin1Char('!'); // case conversion off
            ++i;
        } else if (c == QLatin1Char('\\') && i + 1 < parts.mask.size()) {
            qtMask += QLatin1Char('\\');
            qtMask += parts.mask.at(++i);
        } else {
            qtMask += qtMaskCharacter(c);
        }
    }
    return qtMask + QLatin1Char(';') + parts.blank;
}

void TKovMaskEdit::setEditMask(const QString &mask)
{
    const QString kept = Text();
    const MaskParts parts = splitMask(mask);
    m_editMask = mask;
    m_saveLiterals = parts.saveLiterals;
    m_blank = parts.blank;
    setInputMask(toQtInputMask(mask));
    setText_(kept);
}

QString TKovMaskEdit::Text() const
{
    if (inputMask().isEmpty())
        return text();
    QString shown = displayText();
    shown.replace(m_blank, QLatin1Char(' '));
    if (m_saveLiterals)
        return shown;
    QString typed;
    const QList<bool> input = inputPositions(inputMask());
    for (qsizetype i = 0; i < shown.size() && i < input.size(); ++i)
        if (input.at(i))
            typed += shown.at(i);
    return typed;
}

bool TKovMaskEdit::showsEmptyMask() const
{
    if (inputMask().isEmpty())
        return false;
    const QString shown = displayText();
    const QList<bool> input = inputPositions(inputMask());
    for (qsizetype i = 0; i < shown.size() && i < input.size(); ++i)
        if (input.at(i) && shown.at(i) != m_blank)
            return false;
    return true;
}

void TKovMaskEdit::setText_(const QString &text)
{
    setText(text);
    // A line longer than the editor is read from its beginning, as set
    // (masked inputs are short and keep the caret where the mask puts it).
    m_showingStart = !hasFocus() && inputMask().isEmpty();
    if (m_showingStart)
        setCursorPosition(0);
}

void TKovMaskEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (m_showingStart && event->reason() != Qt::MouseFocusReason && cursorPosition() == 0 && !hasSelectedText())
        end(false);
    m_showingStart = false;
}

} // namespace kv
