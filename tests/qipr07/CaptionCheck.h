#pragma once
// Walks a shown window as a reader looks at it: every visible label, push,
// check, radio and tool button, glyph check box, group box title and tab
// caption must fit the room its control gives the text (the control's font
// against its contents rectangle, less frame, indicator and icon), must not
// be cut by the edges of the controls that hold it, and must not lie under
// a sibling or a child. Named components must lie inside their parents, and
// an edit that is not being typed in shows the start of a text too long for
// it. Every fault is one line naming the window, the component and the text.

#include "controls/BtChkBox.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>

#include <string>
#include <vector>

namespace captioncheck {

// Where a control draws one text: the size the text needs, and the room
// the control gives it (both in the control's coordinates).
struct TextSpot {
    QWidget *widget = nullptr;
    QString what; // the component and, for tabs, which caption
    QString text;
    QSize needed;
    QRect room;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;

    // Where the text lands inside its room (clipped to it when too large).
    QRect drawn() const
    {
        const QSize shown = needed.boundedTo(room.size());
        return QStyle::alignedRect(widget->layoutDirection(), alignment, shown, room);
    }
    // The drawn rectangle widened by the strokes that reach above the
    // font's ascent or below its descent (tall CJK glyphs in some faces).
    QRect ink() const
    {
        const QFontMetrics metrics = widget->fontMetrics();
        const QRect strokes = metrics.tightBoundingRect(text.section(QLatin1Char('\n'), 0, 0));
        const int above = qMax(0, -(metrics.ascent() + strokes.top()));
        const int below = qMax(0, strokes.bottom() - metrics.descent());
        return drawn().adjusted(0, -above, 0, below);
    }
};

inline QString componentName(const QWidget *widget)
{
    const QString name = widget->objectName();
    return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
           (name.isEmpty() ? QStringLiteral("(unnamed in %1)").arg(widget->parentWidget()
                                                                        ? widget->parentWidget()->objectName()
                                                                        : QString())
                           : name);
}

inline QString plainText(const QString &text)
{
    QString plain = text;
    plain.replace(QLatin1String("&&"), QLatin1String("\x01"));
    plain.remove(QLatin1Char('&'));
    plain.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return plain;
}

inline QSize textSize(const QFontMetrics &metrics, const QString &text, bool mnemonic)
{
    return metrics.size(mnemonic ? Qt::TextShowMnemonic : 0, text);
}

// --- where each kind of control puts its text

inline bool labelSpot(QLabel *label, TextSpot &spot)
{
    if (label->text().isEmpty() || label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text())))
        return false;
    const bool mnemonic = label->buddy() != nullptr;
    const QFontMetrics metrics = label->fontMetrics();
    QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                -label->margin());
    if (label->indent() > 0)
        room.adjust(label->indent(), 0, 0, 0);
    spot.text = label->text();
    spot.room = room;
    spot.alignment = label->alignment();
    spot.needed = label->wordWrap()
                      ? metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap, spot.text).size()
                      : textSize(metrics, spot.text, mnemonic);
    if (label->wordWrap())
        spot.needed.setWidth(qMin(spot.needed.width(), room.width()));
    return true;
}

inline QStyleOptionButton buttonOption(QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (auto *push = qobject_cast<QPushButton *>(button))
        if (push->isFlat())
            option.features |= QStyleOptionButton::Flat;
    return option;
}

// The text room of a push, check or radio button: the style's contents
// rectangle less the icon and the gap the style leaves beside it.
inline bool buttonSpot(QAbstractButton *button, TextSpot &spot)
{
    if (button->text().isEmpty())
        return false;
    const QStyleOptionButton option = buttonOption(button);
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    spot.alignment = Qt::AlignCenter;
    if (qobject_cast<QCheckBox *>(button)) {
        element = QStyle::SE_CheckBoxContents;
        spot.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (qobject_cast<QRadioButton *>(button)) {
        element = QStyle::SE_RadioButtonContents;
        spot.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    QRect room = button->style()->subElementRect(element, &option, button);
    if (!button->icon().isNull())
        room.adjust(button->iconSize().width() + 4, 0, 0, 0);
    spot.text = button->text();
    spot.room = room;
    spot.needed = textSize(button->fontMetrics(), plainText(spot.text), false);
    return true;
}

// A tool button shows its text beside or under the icon, or instead of an
// icon it does not have.
inline bool toolButtonSpot(QToolButton *button, TextSpot &spot)
{
    const bool shown = !button->text().isEmpty() &&
                       (button->toolButtonStyle() != Qt::ToolButtonIconOnly || button->icon().isNull());
    if (!shown || button->toolButtonStyle() == Qt::ToolButtonFollowStyle)
        return false;
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    QRect room = button->rect().adjusted(frame, frame, -frame, -frame);
    if (button->popupMode() == QToolButton::MenuButtonPopup)
        room.adjust(0, 0, -button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, button), 0);
    if (!button->icon().isNull() && button->toolButtonStyle() == Qt::ToolButtonTextBesideIcon)
        room.adjust(button->iconSize().width() + 4, 0, 0, 0);
    if (!button->icon().isNull() && button->toolButtonStyle() == Qt::ToolButtonTextUnderIcon)
        room.adjust(0, button->iconSize().height() + 2, 0, 0);
    spot.text = button->text();
    spot.room = room;
    spot.alignment = Qt::AlignCenter;
    spot.needed = textSize(button->fontMetrics(), plainText(spot.text), false);
    return true;
}

// The glyph check box: the caption right (or left) of the box image, one
// line, in the control's own font.
inline bool bitCheckBoxSpot(kv::TBitCheckBox *box, TextSpot &spot)
{
    if (box->caption().isEmpty())
        return false;
    QPixmap glyph = box->uncheckedGlyph();
    int count = box->uncheckedNumGlyphs();
    if (box->state() == kv::TBitCheckBox::cbChecked) {
        glyph = box->checkedGlyph();
        count = box->checkedNumGlyphs();
    } else if (box->state() == kv::TBitCheckBox::cbGrayed) {
        glyph = box->grayedGlyph();
        count = box->grayedNumGlyphs();
    }
    const int imageWidth = glyph.isNull() ? 0 : glyph.width() / qMax(1, count);
    QRect room = box->rect();
    if (box->alignment() == kv::TBitCheckBox::taRightJustify)
        room.setLeft(imageWidth + 4);
    else
        room.setRight(box->width() - imageWidth - 1);
    spot.text = box->caption();
    spot.room = room;
    spot.needed = textSize(box->fontMetrics(), plainText(spot.text), false);
    return true;
}

inline bool groupBoxSpot(QGroupBox *box, TextSpot &spot)
{
    if (box->title().isEmpty())
        return false;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box->isCheckable())
        option.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (box->isFlat())
        option.features |= QStyleOptionFrame::Flat;
    const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    spot.text = box->title();
    // The style draws the title at the top left of its label rectangle;
    // what the box can show of it is the part inside the box.
    spot.needed = textSize(box->fontMetrics(), plainText(spot.text), false);
    spot.room = label.intersected(box->rect());
    spot.alignment = Qt::AlignLeft | Qt::AlignTop;
    return true;
}

inline TextSpot tabSpot(QTabBar *bar, int index)
{
    QStyleOptionTab option;
    option.initFrom(bar);
    option.rect = bar->tabRect(index);
    option.text = bar->tabText(index);
    option.shape = bar->shape();
    option.icon = bar->tabIcon(index);
    option.iconSize = bar->iconSize();
    option.documentMode = bar->documentMode();
    TextSpot spot;
    spot.widget = bar;
    spot.what = componentName(bar) + QStringLiteral(" tab %1").arg(index);
    spot.text = bar->tabText(index);
    spot.needed = textSize(bar->fontMetrics(), plainText(spot.text), false);
    spot.room = bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, bar).intersected(option.rect);
    spot.alignment = Qt::AlignCenter;
    return spot;
}

// --- the walk

class CaptionCheck {
public:
    // window names the window (and page) in the fault lines.
    CaptionCheck(QWidget *window, QString name) : m_window(window), m_name(std::move(name)) {}

    std::vector<std::string> faults()
    {
        m_faults.clear();
        for (QWidget *widget : m_window->findChildren<QWidget *>()) {
            if (!widget->isVisible() || widget->isWindow() || scrolls(widget))
                continue;
            checkInsideParent(widget);
            checkEditShowsStart(widget);
            for (const TextSpot &spot : spotsOf(widget))
                checkSpot(spot);
        }
        return m_faults;
    }

private:
    std::vector<TextSpot> spotsOf(QWidget *widget) const
    {
        std::vector<TextSpot> spots;
        TextSpot spot;
        spot.widget = widget;
        spot.what = componentName(widget);
        bool found = false;
        if (auto *label = qobject_cast<QLabel *>(widget))
            found = labelSpot(label, spot);
        else if (auto *tool = qobject_cast<QToolButton *>(widget))
            found = toolButtonSpot(tool, spot);
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            found = buttonSpot(button, spot);
        else if (auto *box = qobject_cast<kv::TBitCheckBox *>(widget))
            found = bitCheckBoxSpot(box, spot);
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            found = groupBoxSpot(group, spot);
        if (found)
            spots.push_back(spot);
        if (auto *bar = qobject_cast<QTabBar *>(widget))
            for (int index = 0; index < bar->count(); ++index)
                if (bar->isTabVisible(index))
                    spots.push_back(tabSpot(bar, index));
        return spots;
    }

    void fault(const QString &what, const QString &text, const QString &reason)
    {
        m_faults.push_back(
            QStringLiteral("%1: %2 \"%3\": %4").arg(m_name, what, text, reason).toStdString());
    }

    static QString rectText(const QRect &rect)
    {
        return QStringLiteral("%1x%2 at %3,%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
    }

    // Children of a scroll area's viewport move with its scroll bars.
    static bool scrolls(const QWidget *widget)
    {
        for (const QWidget *up = widget->parentWidget(); up && !up->isWindow(); up = up->parentWidget())
            if (auto *area = qobject_cast<const QAbstractScrollArea *>(up->parentWidget()))
                if (area->viewport() == up)
                    return true;
        return false;
    }

    void checkSpot(const TextSpot &spot)
    {
        if (spot.needed.width() > spot.room.width() || spot.needed.height() > spot.room.height()) {
            fault(spot.what, spot.text,
                  QStringLiteral("needs %1x%2, has %3").arg(spot.needed.width()).arg(spot.needed.height()).arg(
                      rectText(spot.room)));
            return;
        }
        checkNotCut(spot, spot.ink());
        checkNotCovered(spot, spot.drawn());
    }

    // The control and its holders show all of the text's strokes.
    void checkNotCut(const TextSpot &spot, const QRect &ink)
    {
        QRect shown = ink;
        if (!spot.widget->rect().contains(shown)) {
            fault(spot.what, spot.text,
                  QStringLiteral("strokes cut by its own edges (text %1, control %2)")
                      .arg(rectText(shown), rectText(spot.widget->rect())));
            return;
        }
        for (QWidget *holder = spot.widget; holder != m_window; holder = holder->parentWidget()) {
            QWidget *up = holder->parentWidget();
            shown = shown.translated(holder->pos());
            if (!up->rect().contains(shown)) {
                fault(spot.what, spot.text,
                      QStringLiteral("cut by %1 (text %2, holder %3)")
                          .arg(componentName(up), rectText(shown), rectText(up->rect())));
                return;
            }
        }
    }

    // Neither a sibling nor a child of the control lies over the text.
    void checkNotCovered(const TextSpot &spot, const QRect &drawn)
    {
        for (QObject *object : spot.widget->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (child && child->isVisible() && !child->isWindow() && child->geometry().intersects(drawn))
                fault(spot.what, spot.text, QStringLiteral("covered by its part %1").arg(componentName(child)));
        }
        QWidget *parent = spot.widget->parentWidget();
        if (!parent || spot.widget->isWindow())
            return;
        const QRect inParent = drawn.translated(spot.widget->pos());
        for (QObject *object : parent->children()) {
            auto *sibling = qobject_cast<QWidget *>(object);
            if (sibling && sibling != spot.widget && sibling->isVisible() && !sibling->isWindow() &&
                sibling->geometry().intersects(inParent))
                fault(spot.what, spot.text, QStringLiteral("overlapped by %1").arg(componentName(sibling)));
        }
    }

    // Components placed by the window stay inside what holds them.
    void checkInsideParent(QWidget *widget)
    {
        const QString name = widget->objectName();
        QWidget *parent = widget->parentWidget();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || !parent)
            return;
        if (!parent->rect().contains(widget->geometry()))
            fault(componentName(widget), QString(),
                  QStringLiteral("placed at %1, outside %2 (%3)")
                      .arg(rectText(widget->geometry()), componentName(parent), rectText(parent->rect())));
    }

    // Text longer than its edit: the start shows while nobody types in it.
    void checkEditShowsStart(QWidget *widget)
    {
        auto *edit = qobject_cast<QLineEdit *>(widget);
        if (!edit || edit->hasFocus() || edit->text().isEmpty())
            return;
        const int room = edit->contentsRect().width() - 4;
        if (edit->fontMetrics().horizontalAdvance(edit->displayText()) > room && edit->cursorPosition() != 0)
            fault(componentName(edit), edit->text(),
                  QStringLiteral("shows the end of its text (cursor at %1), not the start").arg(
                      edit->cursorPosition()));
    }

    QWidget *m_window;
    QString m_name;
    std::vector<std::string> m_faults;
};

} // namespace captioncheck
