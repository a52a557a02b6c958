#pragma once
// The published properties every control of the module shares (position,
// size, visibility, hint, font, colour, tab stop), so that property access by
// name, language packages and stored layouts find them under the ERP's names
// on any control. A control class publishes them by placing
//
//     Q_OBJECT
//     KV_PUBLISHED_CONTROL
//
// at the top of its declaration (the macro leaves the access at "public:"),
// and publishes each event with KV_PUBLISHED_EVENT(OnClick) and so on; a
// control raises an event by calling the member (m_OnClick(sender, args)) or
// lets a ControlEventBridge raise the input events for it. Enabled is not part of
// the set because some controls pass it on to their children.

#include "lib/EventHandler.h"

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace kv {

class ControlProperties {
public:
    static int left(const QWidget *control);
    static void setLeft(QWidget *control, int value);
    static int top(const QWidget *control);
    static void setTop(QWidget *control, int value);
    static int width(const QWidget *control);
    static void setWidth(QWidget *control, int value);
    static int height(const QWidget *control);
    static void setHeight(QWidget *control, int value);

    // The control's own visibility, whether or not its window is shown.
    static bool visible(const QWidget *control);
    static void setVisible(QWidget *control, bool value);

    static QString hint(const QWidget *control);
    static void setHint(QWidget *control, const QString &value);
    // Hints show unless the control, or the ancestor it takes the setting
    // from while ParentShowHint holds, says otherwise. Setting ShowHint
    // clears ParentShowHint.
    static bool showHint(const QWidget *control);
    static void setShowHint(QWidget *control, bool value);
    static bool parentShowHint(const QWidget *control);
    static void setParentShowHint(QWidget *control, bool value);

    static bool parentFont(const QWidget *control);
    // True drops the control's own font so that it follows its parent again.
    static void setParentFont(QWidget *control, bool value);

    // The background colour; setting it gives the control its own colour.
    static QColor color(const QWidget *control);
    static void setColor(QWidget *control, const QColor &value);
    static bool parentColor(const QWidget *control);
    static void setParentColor(QWidget *control, bool value);

    // Position in the tab sequence as the form stores it; windows that walk
    // their controls in tab order read it.
    static int tabOrder(const QWidget *control);
    static void setTabOrder(QWidget *control, int value);
    // False keeps the control out of the Tab sequence; it still takes the
    // focus when clicked.
    static bool tabStop(const QWidget *control);
    static void setTabStop(QWidget *control, bool value);
};

} // namespace kv

#define KV_PUBLISHED_CONTROL                                                                                     \
    Q_PROPERTY(int Left READ publishedLeft WRITE setPublishedLeft)                                               \
    Q_PROPERTY(int Top READ publishedTop WRITE setPublishedTop)                                                  \
    Q_PROPERTY(int Width READ publishedWidth WRITE setPublishedWidth)                                            \
    Q_PROPERTY(int Height READ publishedHeight WRITE setPublishedHeight)                                         \
    Q_PROPERTY(bool Visible READ publishedVisible WRITE setPublishedVisible)                                     \
    Q_PROPERTY(QString Hint READ publishedHint WRITE setPublishedHint)                                           \
    Q_PROPERTY(bool ShowHint READ publishedShowHint WRITE setPublishedShowHint)                                  \
    Q_PROPERTY(bool ParentShowHint READ publishedParentShowHint WRITE setPublishedParentShowHint)                \
    Q_PROPERTY(QFont Font READ font WRITE setFont)                                                               \
    Q_PROPERTY(bool ParentFont READ publishedParentFont WRITE setPublishedParentFont)                            \
    Q_PROPERTY(QColor Color READ publishedColor WRITE setPublishedColor)                                         \
    Q_PROPERTY(bool ParentColor READ publishedParentColor WRITE setPublishedParentColor)                         \
    Q_PROPERTY(int TabOrder READ publishedTabOrder WRITE setPublishedTabOrder)                                   \
    Q_PROPERTY(bool TabStop READ publishedTabStop WRITE setPublishedTabStop)                                     \
public:                                                                                                          \
    int publishedLeft() const { return kv::ControlProperties::left(this); }                                     \
    void setPublishedLeft(int value) { kv::ControlProperties::setLeft(this, value); }                           \
    int publishedTop() const { return kv::ControlProperties::top(this); }                                       \
    void setPublishedTop(int value) { kv::ControlProperties::setTop(this, value); }                             \
    int publishedWidth() const { return kv::ControlProperties::width(this); }                                   \
    void setPublishedWidth(int value) { kv::ControlProperties::setWidth(this, value); }                         \
    int publishedHeight() const { return kv::ControlProperties::height(this); }                                 \
    void setPublishedHeight(int value) { kv::ControlProperties::setHeight(this, value); }                       \
    bool publishedVisible() const { return kv::ControlProperties::visible(this); }                              \
    void setPublishedVisible(bool value) { kv::ControlProperties::setVisible(this, value); }                    \
    QString publishedHint() const { return kv::ControlProperties::hint(this); }                                 \
    void setPublishedHint(const QString &value) { kv::ControlProperties::setHint(this, value); }                \
    bool publishedShowHint() const { return kv::ControlProperties::showHint(this); }                            \
    void setPublishedShowHint(bool value) { kv::ControlProperties::setShowHint(this, value); }                  \
    bool publishedParentShowHint() const { return kv::ControlProperties::parentShowHint(this); }                \
    void setPublishedParentShowHint(bool value) { kv::ControlProperties::setParentShowHint(this, value); }      \
    bool publishedParentFont() const { return kv::ControlProperties::parentFont(this); }                        \
    void setPublishedParentFont(bool value) { kv::ControlProperties::setParentFont(this, value); }              \
    QColor publishedColor() const { return kv::ControlProperties::color(this); }                                \
    void setPublishedColor(const QColor &value) { kv::ControlProperties::setColor(this, value); }               \
    bool publishedParentColor() const { return kv::ControlProperties::parentColor(this); }                      \
    void setPublishedParentColor(bool value) { kv::ControlProperties::setParentColor(this, value); }            \
    int publishedTabOrder() const { return kv::ControlProperties::tabOrder(this); }                             \
    void setPublishedTabOrder(int value) { kv::ControlProperties::setTabOrder(this, value); }                   \
    bool publishedTabStop() const { return kv::ControlProperties::tabStop(this); }                              \
    void setPublishedTabStop(bool value) { kv::ControlProperties::setTabStop(this, value); }

// One published event: property Name of type kv::EventHandler, stored in the
// member m_Name. Leaves the access at "public:".
#define KV_PUBLISHED_EVENT(Name)                                                                                 \
    Q_PROPERTY(kv::EventHandler Name READ event##Name WRITE setEvent##Name)                                      \
public:                                                                                                          \
    kv::EventHandler event##Name() const { return m_##Name; }                                                   \
    void setEvent##Name(const kv::EventHandler &handler) { m_##Name = handler; }                                \
                                                                                                                 \
private:                                                                                                         \
    kv::EventHandler m_##Name;                                                                                   \
                                                                                                                 \
public:
