#include "base/KVForm.h"

#include "lib/CodeConverter.h"
#include "lib/LangCommon.h"
#include "lib/LanguageController.h"
#include "lib/LibStrs.h"
#include "lib/LibVCLs.h"
#include "lib/QtTranslations.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace kv {

namespace {

// Stands for "the package has no such key" in lookups, so that only a
// missing text falls back to the (converted) default.
const std::string kNoText = "\x01\x02";

std::string className(const QMetaObject *meta)
{
    const QByteArray name(meta->className());
    const int colon = name.lastIndexOf(':');
    return (colon >= 0 ? name.mid(colon + 1) : name).toStdString();
}

} // namespace

TKVForm::TKVForm(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint)
{
    m_kvConverter = new TCodeConverter(this, KvDesign::dtClient);
    m_kvConverter->setObjectName(QStringLiteral("KvConverter"));
    m_langController = new TKvLangController(this);
    m_langController->setObjectName(QStringLiteral("LangController"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(13);
    setFont(font);
    setSizeGripEnabled(false);
    // The form's own handlers, bound so that a controller can save them and
    // chain itself in front.
    m_onShow = EventHandler([this](QObject *, EventArgs &) { FormShow(); }, "FormShow");
    m_onHide = EventHandler([this](QObject *, EventArgs &) { FormHide(); }, "FormHide");
    m_onDestroy = EventHandler([this](QObject *, EventArgs &) { FormDestroy(); }, "FormDestroy");
    // Key preview: the form sees the keys of its controls before they do.
    qApp->installEventFilter(this);
}

TKVForm::~TKVForm()
{
    qApp->removeEventFilter(this);
    raiseDestroyOnce();
}

void TKVForm::AfterConstruction()
{
    if (m_created)
        return;
    m_created = true;
    createSteps();
    FormCreate();
    m_onCreate(this);
}

void TKVForm::createSteps()
{
    m_converted = false;
    m_translateOnShow = true;
    // Qt's dialogs and standard buttons speak the interface language too.
    QtTranslations::apply(m_kvConverter->uiCodePage());
    clearImeNames();
    if (m_kvConverter->uiCodePage() == "437")
        applyEnglishFonts();
    generateDisabledGlyphs();
}

void TKVForm::clearImeNames()
{
    for (QObject *component : findChildren<QObject *>())
        if (CheckPropertyExist(component, "ImeName"))
            SetStringProperty(component, "ImeName", "");
}

void TKVForm::applyEnglishFonts()
{
    for (QObject *component : findChildren<QObject *>())
        if (CheckPropertyExist(component, "Font")) {
            setPropertyByPath(component, "Font.Charset", "134");
            setPropertyByPath(component, "Font.Name", "Tahoma");
        }
}

// Every glyph button of the form (and the buttons embedded in composite
// controls, which are children too) with a single-image glyph gets the
// disabled image appended.
void TKVForm::generateDisabledGlyphs()
{
    for (QObject *component : findChildren<QObject *>()) {
        if (!CheckPropertyExist(component, "Glyph") || !CheckPropertyExist(component, "NumGlyphs"))
            continue;
        const QPixmap glyph = component->property("Glyph").value<QPixmap>();
        if (glyph.isNull() || component->property("NumGlyphs").toInt() != 1)
            continue;
        const QImage image = glyph.toImage();
        const QColor transparent =
            image.hasAlphaChannel() ? QColor(Qt::transparent) : QColor(image.pixel(0, image.height() - 1));
        component->setProperty("NumGlyphs", 2);
        component->setProperty("Glyph", MakeDisabledGlyph(glyph, transparent));
    }
}

QPixmap TKVForm::DisabledImage(const QPixmap &glyph, const QColor &transparent)
{
    const QImage source = glyph.toImage().convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();
    const bool alphaMode = transparent.alpha() == 0;
    const QRgb key = transparent.rgb() & 0xFFFFFF;
    auto isTransparent = [&](int x, int y) {
        const QRgb pixel = source.pixel(x, y);
        return alphaMode ? qAlpha(pixel) == 0 : (pixel & 0xFFFFFF) == key;
    };
    // A pixel is ink when it is dark, or when it borders on the transparent
    // colour (at the border the pixel stands in for the missing neighbour).
    std::vector<bool> ink(std::size_t(width) * height, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (isTransparent(x, y))
                continue;
            const QRgb pixel = source.pixel(x, y);
            bool isInk = qRed(pixel) + qGreen(pixel) + qBlue(pixel) < 384;
            if (!isInk)
                isInk = isTransparent(x, qMax(0, y - 1)) || isTransparent(x, qMin(height - 1, y + 1)) ||
                        isTransparent(qMax(0, x - 1), y) || isTransparent(qMin(width - 1, x + 1), y);
            ink[std::size_t(y) * width + x] = isInk;
        }
    const QPalette palette = QApplication::palette();
    QImage result(width, height, QImage::Format_ARGB32);
    result.fill(alphaMode ? QColor(Qt::transparent) : palette.color(QPalette::Button));
    // The ink in the highlight colour one pixel right and down, then in the
    // shadow colour in place: the engraved look of a disabled picture.
    const QRgb highlight = palette.color(QPalette::Light).rgba();
    const QRgb shadow = palette.color(QPalette::Dark).rgba();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (ink[std::size_t(y) * width + x] && x + 1 < width && y + 1 < height)
                result.setPixel(x + 1, y + 1, highlight);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (ink[std::size_t(y) * width + x])
                result.setPixel(x, y, shadow);
    return QPixmap::fromImage(result);
}

QPixmap TKVForm::MakeDisabledGlyph(const QPixmap &glyph, const QColor &transparent)
{
    if (glyph.isNull())
        return glyph;
    QImage strip(glyph.width() * 2, glyph.height(), QImage::Format_ARGB32);
    strip.fill(transparent);
    QPainter painter(&strip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, glyph);
    painter.drawPixmap(glyph.width(), 0, DisabledImage(glyph, transparent));
    painter.end();
    return QPixmap::fromImage(strip);
}

void TKVForm::ConvertFormOnce()
{
    if (m_converted)
        return;
    m_kvConverter->DoTranslate(this, QString(), true);
    m_converted = true;
}

void TKVForm::TranslateClassChain(QObject *target, bool wholeChain)
{
    translateChain(target, wholeChain, &QDialog::staticMetaObject);
}

void TKVForm::TranslateOwnChain(QObject *target, bool wholeChain)
{
    translateChain(target, wholeChain, &TKVForm::staticMetaObject);
}

// Packages are applied from the most basic class to the target's own, so
// that a descendant's package overrides what its ancestors' set.
void TKVForm::translateChain(QObject *target, bool wholeChain, const QMetaObject *stop)
{
    if (!target)
        return;
    std::vector<std::string> names;
    for (const QMetaObject *meta = target->metaObject(); meta && meta != stop; meta = meta->superClass()) {
        names.insert(names.begin(), className(meta));
        if (!wholeChain)
            break;
    }
    for (const std::string &name : names) {
        // Each package is applied anew, also when it was the last one used.
        m_langController->setActive(false);
        m_langController->setLangPackageName(QString::fromStdString(name));
        if (!QFileInfo::exists(QString::fromStdString(m_langController->fileName())))
            continue;
        try {
            m_langController->setActive(true);
            if (target != this)
                m_langController->LoadComponent(target);
        } catch (const std::exception &error) {
            // A broken package must not keep the window from showing.
            WriteToAlertFile("KVForm", name + ": " + error.what(), "D");
        }
    }
}

void TKVForm::GetLangText(const std::string &className, const std::string &key, std::string &text, bool convert,
                          const std::string &defaultText) const
{
    text = GetMessage(m_kvConverter->designType(), className, key, kNoText);
    if (text != kNoText)
        return;
    text = convert ? varToStr(m_kvConverter->ConvertUIString(Variant(defaultText))) : defaultText;
}

std::string TKVForm::LangText(const std::string &className, const std::string &key, const std::string &defaultText,
                              bool convert) const
{
    std::string text;
    GetLangText(className, key, text, convert, defaultText);
    return text;
}

int TKVForm::ShowModal()
{
    m_modalResult = mrNone;
    m_inModalLoop = true;
    const int result = Prompter::current()->showWindowModal(*this);
    m_inModalLoop = false;
    if (m_modalResult == mrNone)
        m_modalResult = result;
    const int modalResult = m_modalResult;
    if (m_freeAfterModal)
        Release();
    return modalResult;
}

void TKVForm::Free()
{
    raiseDestroyOnce();
    delete this;
}

void TKVForm::Release()
{
    deleteLater();
}

void TKVForm::raiseDestroyOnce()
{
    if (m_destroying)
        return;
    m_destroying = true;
    m_onDestroy(this);
}

void TKVForm::setModalResult(int result)
{
    m_modalResult = result;
    if (result != mrNone && m_inModalLoop)
        close();
}

void TKVForm::done(int result)
{
    m_modalResult = result;
    QDialog::done(result);
}

int TKVForm::left() const
{
    return frameGeometry().left();
}

void TKVForm::setLeft(int value)
{
    move(value, frameGeometry().top());
    m_positioned = true;
}

int TKVForm::top() const
{
    return frameGeometry().top();
}

void TKVForm::setTop(int value)
{
    move(frameGeometry().left(), value);
    m_positioned = true;
}

int TKVForm::formWidth() const
{
    return frameGeometry().width();
}

void TKVForm::setFormWidth(int value)
{
    resize(qMax(0, value - (frameGeometry().width() - width())), height());
}

int TKVForm::formHeight() const
{
    return frameGeometry().height();
}

void TKVForm::setFormHeight(int value)
{
    resize(width(), qMax(0, value - (frameGeometry().height() - height())));
}

QColor TKVForm::color() const
{
    return palette().color(backgroundRole());
}

void TKVForm::setColor(const QColor &color)
{
    QPalette changed = palette();
    changed.setColor(backgroundRole(), color);
    setPalette(changed);
}

TKVForm::TWindowState TKVForm::windowStateValue() const
{
    if (windowState() & Qt::WindowMinimized)
        return wsMinimized;
    if (windowState() & Qt::WindowMaximized)
        return wsMaximized;
    return wsNormal;
}

void TKVForm::setWindowStateValue(TWindowState state)
{
    switch (state) {
    case wsNormal: setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)); break;
    case wsMinimized: setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized); break;
    case wsMaximized: setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized); break;
    }
}

void TKVForm::DoShow()
{
    if (m_translateOnShow)
        TranslateClassChain(this, true);
}

void TKVForm::showEvent(QShowEvent *event)
{
    if (!m_positioned && m_position == poScreenCenter) {
        m_positioned = true;
        if (const QScreen *screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    DoShow();
    m_onShow(this);
}

void TKVForm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        m_onHide(this);
}

void TKVForm::closeEvent(QCloseEvent *event)
{
    CloseArgs args(caHide);
    FormClose(args.action);
    m_onClose(this, args);
    switch (args.action) {
    case caNone: event->ignore(); return;
    case caMinimize:
        event->ignore();
        showMinimized();
        return;
    case caHide: break;
    case caFree:
        // A form in its modal loop is freed once the loop has returned.
        if (m_inModalLoop)
            m_freeAfterModal = true;
        else
            Release();
        break;
    }
    if (m_inModalLoop && m_modalResult == mrNone)
        m_modalResult = mrCancel;
    event->accept();
}

void TKVForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FormResize();
    m_onResize(this);
}

void TKVForm::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
}

// QDialog would close on Esc and click a default button on Enter; the
// program windows give both keys their own meaning (FormKeyDown,
// FormKeyPress), so only the plain widget handling remains.
void TKVForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TKVForm::event(QEvent *event)
{
    if (event->type() == QEvent::DeferredDelete)
        raiseDestroyOnce();
    return QDialog::event(event);
}

bool TKVForm::ownsWidget(const QObject *object) const
{
    const auto *widget = qobject_cast<const QWidget *>(object);
    return widget && widget->window() == this;
}

bool TKVForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_keyPreview && isEnabled() && ownsWidget(watched)) {
        // A key travels up from the focused control to its parents; the form
        // previews it once, when it reaches its first receiver.
        QWidget *focus = QApplication::focusWidget();
        const bool firstReceiver = watched == focus || ((!focus || !ownsWidget(focus)) && watched == this);
        if (firstReceiver && previewKey(static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TKVForm::previewKey(QKeyEvent *event)
{
    QPointer<TKVForm> alive(this);
    KeyEventArgs down(event->key(), event->modifiers());
    FormKeyDown(down);
    if (!alive)
        return true;
    m_onKeyDown(this, down);
    if (!alive || down.key == 0)
        return true;
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    KeyPressArgs press(text.at(0));
    FormKeyPress(press);
    if (!alive)
        return true;
    m_onKeyPress(this, press);
    if (!alive || press.key.isNull())
        return true;
    return false;
}

} // namespace kv
