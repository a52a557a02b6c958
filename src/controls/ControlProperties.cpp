#include "controls/ControlProperties.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QToolTip>
#include <QVariant>
#include <QWidget>

namespace kv {

namespace {

constexpr const char *kShowHint = "_kv_showHint";
constexpr const char *kParentShowHint = "_kv_parentShowHint";
constexpr const char *kOwnColor = "_kv_ownColor";
constexpr const char *kTabOrder = "_kv_tabOrder";

bool flag(const QWidget *control, const char *name, bool defaultValue)
{
    const QVariant value = control->property(name);
    return value.isValid() ? value.toBool() : defaultValue;
}

// Tool tips are Qt's hints; a control whose ShowHint is off must not show
// its own. One filter on the application serves every control.
class HintFilter : public QObject {
public:
    static void ensureInstalled()
    {
        static HintFilter *filter = nullptr;
        if (!filter && qApp) {
            filter = new HintFilter(qApp);
            qApp->installEventFilter(filter);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        if (ControlProperties::showHint(static_cast<QWidget *>(watched)))
            return false;
        QToolTip::hideText();
        return true;
    }

private:
    using QObject::QObject;
};

} // namespace

int ControlProperties::left(const QWidget *control) { return control->x(); }
void ControlProperties::setLeft(QWidget *control, int value) { control->move(value, control->y()); }
int ControlProperties::top(const QWidget *control) { return control->y(); }
void ControlProperties::setTop(QWidget *control, int value) { control->move(control->x(), value); }
int ControlProperties::width(const QWidget *control) { return control->width(); }
void ControlProperties::setWidth(QWidget *control, int value) { control->resize(qMax(0, value), control->height()); }
int ControlProperties::height(const QWidget *control) { return control->height(); }
void ControlProperties::setHeight(QWidget *control, int value) { control->resize(control->width(), qMax(0, value)); }

bool ControlProperties::visible(const QWidget *control) { return !control->isHidden(); }
void ControlProperties::setVisible(QWidget *control, bool value) { control->setVisible(value); }

QString ControlProperties::hint(const QWidget *control) { return control->toolTip(); }
void ControlProperties::setHint(QWidget *control, const QString &value) { control->setToolTip(value); }

bool ControlProperties::showHint(const QWidget *control)
{
    for (const QWidget *widget = control; widget; widget = widget->parentWidget()) {
        const bool inherits = flag(widget, kParentShowHint, true);
        if (!inherits || !widget->parentWidget())
            return flag(widget, kShowHint, true);
    }
    return true;
}

void ControlProperties::setShowHint(QWidget *control, bool value)
{
    HintFilter::ensureInstalled();
    control->setProperty(kShowHint, value);
    control->setProperty(kParentShowHint, false);
}

bool ControlProperties::parentShowHint(const QWidget *control) { return flag(control, kParentShowHint, true); }

void ControlProperties::setParentShowHint(QWidget *control, bool value)
{
    HintFilter::ensureInstalled();
    control->setProperty(kParentShowHint, value);
}

bool ControlProperties::parentFont(const QWidget *control) { return !control->testAttribute(Qt::WA_SetFont); }

void ControlProperties::setParentFont(QWidget *control, bool value)
{
    if (value)
        control->setFont(QFont());
    else
        control->setFont(control->font()); // the inherited font becomes the control's own
}

QColor ControlProperties::color(const QWidget *control) { return control->palette().color(control->backgroundRole()); }

void ControlProperties::setColor(QWidget *control, const QColor &value)
{
    QPalette palette = control->palette();
    // Edits and lists paint with Base, panels with Window, buttons with
    // Button: the colour is the control's background whichever it uses.
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, value);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
    control->setProperty(kOwnColor, true);
}

bool ControlProperties::parentColor(const QWidget *control) { return !flag(control, kOwnColor, false); }

void ControlProperties::setParentColor(QWidget *control, bool value)
{
    if (!value) {
        setColor(control, color(control));
        return;
    }
    control->setPalette(QPalette());
    control->setAutoFillBackground(false);
    control->setProperty(kOwnColor, QVariant());
}

int ControlProperties::tabOrder(const QWidget *control) { return control->property(kTabOrder).toInt(); }
void ControlProperties::setTabOrder(QWidget *control, int value) { control->setProperty(kTabOrder, value); }

bool ControlProperties::tabStop(const QWidget *control) { return control->focusPolicy() & Qt::TabFocus; }

void ControlProperties::setTabStop(QWidget *control, bool value)
{
    const Qt::FocusPolicy policy = control->focusPolicy();
    if (value)
        control->setFocusPolicy(Qt::StrongFocus);
    else
        control->setFocusPolicy(policy & Qt::ClickFocus ? Qt::ClickFocus : Qt::NoFocus);
}

} // namespace kv
