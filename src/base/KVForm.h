#pragma once
// TKVForm: the plain form base of every window of the module. It owns the
// code converter "KvConverter" and the language controller "LangController",
// gives every glyph button a generated "disabled" picture, translates the
// form through the language packages named after its classes when it is
// shown, and converts the form's texts to the interface code page once.
//
// Life of a form, as the windows of the module rely on it:
// - create it with TKVForm::Create<T>(...): the constructor builds the
//   components, then AfterConstruction() runs the form's creation steps
//   (TKVForm's, then the virtual FormCreate(), then OnCreate);
// - showing raises the TKVForm show step and then OnShow, hiding raises
//   OnHide;
// - closing asks FormClose() for the close action; caFree hides the form
//   and frees it from the event loop;
// - freeing (Free(), the deferred free of a close, or delete) raises
//   OnDestroy exactly once, before any part of the form is gone when it goes
//   through Free() or a close.
// OnShow, OnHide and OnDestroy hold the form's own FormShow, FormHide and
// FormDestroy at creation, so that a controller can save them, chain itself
// in and call them (see the host controller).
//
// KeyPreview (on by default) lets the form see the keys of its controls
// first: FormKeyDown / OnKeyDown with kv::KeyEventArgs (Qt key codes), then
// FormKeyPress / OnKeyPress with kv::KeyPressArgs; a handler that sets the
// key to 0 (or the character to null) consumes it.

#include "controls/ControlEvents.h"
#include "lib/EventHandler.h"
#include "lib/LangCommon.h"
#include "platform/Variant.h"

#include <QColor>
#include <QDialog>
#include <QPixmap>
#include <QString>

#include <string>
#include <utility>

class QKeyEvent;

namespace kv {

class TCodeConverter;
class TKvLangController;

class TKVForm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(int Left READ left WRITE setLeft)
    Q_PROPERTY(int Top READ top WRITE setTop)
    Q_PROPERTY(int Width READ formWidth WRITE setFormWidth)
    Q_PROPERTY(int Height READ formHeight WRITE setFormHeight)
    Q_PROPERTY(int ClientWidth READ clientWidth WRITE setClientWidth)
    Q_PROPERTY(int ClientHeight READ clientHeight WRITE setClientHeight)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool ShowHint READ showHint WRITE setShowHint)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(bool KeyPreview READ keyPreview WRITE setKeyPreview)
    Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult)
    Q_PROPERTY(kv::TKVForm::TWindowState WindowState READ windowStateValue WRITE setWindowStateValue)
    Q_PROPERTY(kv::TKVForm::TPosition Position READ position WRITE setPosition)
    Q_PROPERTY(kv::EventHandler OnCreate READ onCreate WRITE setOnCreate)
    Q_PROPERTY(kv::EventHandler OnShow READ onShow WRITE setOnShow)
    Q_PROPERTY(kv::EventHandler OnHide READ onHide WRITE setOnHide)
    Q_PROPERTY(kv::EventHandler OnDestroy READ onDestroy WRITE setOnDestroy)
    Q_PROPERTY(kv::EventHandler OnClose READ onClose WRITE setOnClose)
    Q_PROPERTY(kv::EventHandler OnResize READ onResize WRITE setOnResize)
    Q_PROPERTY(kv::EventHandler OnKeyDown READ onKeyDown WRITE setOnKeyDown)
    Q_PROPERTY(kv::EventHandler OnKeyPress READ onKeyPress WRITE setOnKeyPress)

public:
    enum TWindowState { wsNormal, wsMinimized, wsMaximized };
    Q_ENUM(TWindowState)
    enum TPosition { poDesigned, poScreenCenter };
    Q_ENUM(TPosition)
    enum TCloseAction { caNone, caHide, caFree, caMinimize };
    Q_ENUM(TCloseAction)

    // Arguments of OnClose: the handler may change the action.
    class CloseArgs : public EventArgs {
    public:
        explicit CloseArgs(TCloseAction action) : action(action) {}
        TCloseAction action;
    };

    // Builds and initialises a form: construction, then AfterConstruction().
    template <class T, class... Args>
    static T *Create(Args &&...args)
    {
        T *form = new T(std::forward<Args>(args)...);
        form->AfterConstruction();
        return form;
    }

    explicit TKVForm(QWidget *parent = nullptr);
    ~TKVForm() override;

    // The creation steps (see the class comment); Create() calls it once.
    void AfterConstruction();

    TCodeConverter *KvConverter() const { return m_kvConverter; }
    TKvLangController *LangController() const { return m_langController; }

    // The form's texts have been converted to the interface code page.
    bool isConverted() const { return m_converted; }
    bool translateOnShow() const { return m_translateOnShow; }
    void setTranslateOnShow(bool on) { m_translateOnShow = on; }

    // Converts every text of the form once (KvConverter.DoTranslate).
    void ConvertFormOnce();

    // Applies the language packages named after the target's classes, from
    // the most basic one below the library form up to the target's own
    // class (only the own class without wholeChain).
    virtual void TranslateClassChain(QObject *target, bool wholeChain);
    // The same, stopping below TKVForm.
    virtual void TranslateOwnChain(QObject *target, bool wholeChain);

    // The text of key in the section className of the active language
    // package, else the default (converted to the interface code page first
    // when convert is set).
    void GetLangText(const std::string &className, const std::string &key, std::string &text, bool convert,
                     const std::string &defaultText) const;
    std::string LangText(const std::string &className, const std::string &key, const std::string &defaultText,
                         bool convert = true) const;

    // The modal loop (through kv::Prompter); the modal result is returned.
    int ShowModal();
    // Frees the form now (raising OnDestroy first); the form is gone after.
    void Free();
    // Frees the form from the event loop.
    void Release();
    // OnDestroy has been raised: the form is being freed.
    bool isDestroying() const { return m_destroying; }

    // Picture of a glyph with a generated disabled image appended (see
    // TKVForm's creation): twice as wide, source left, disabled right.
    static QPixmap MakeDisabledGlyph(const QPixmap &glyph, const QColor &transparent);
    // The disabled image alone (same size as the glyph).
    static QPixmap DisabledImage(const QPixmap &glyph, const QColor &transparent);

    // Published properties.
    QString caption() const { return windowTitle(); }
    void setCaption(const QString &caption) { setWindowTitle(caption); }
    int left() const;
    void setLeft(int value);
    int top() const;
    void setTop(int value);
    int formWidth() const;
    void setFormWidth(int value);
    int formHeight() const;
    void setFormHeight(int value);
    int clientWidth() const { return width(); }
    void setClientWidth(int value) { resize(value, height()); }
    int clientHeight() const { return height(); }
    void setClientHeight(int value) { resize(width(), value); }
    bool showHint() const { return m_showHint; }
    void setShowHint(bool on) { m_showHint = on; }
    QColor color() const;
    void setColor(const QColor &color);
    bool keyPreview() const { return m_keyPreview; }
    void setKeyPreview(bool on) { m_keyPreview = on; }
    int modalResult() const { return m_modalResult; }
    // A non-zero result ends a modal loop.
    void setModalResult(int result);
    TWindowState windowStateValue() const;
    void setWindowStateValue(TWindowState state);
    TPosition position() const { return m_position; }
    void setPosition(TPosition position) { m_position = position; }

    EventHandler onCreate() const { return m_onCreate; }
    void setOnCreate(const EventHandler &handler) { m_onCreate = handler; }
    EventHandler onShow() const { return m_onShow; }
    void setOnShow(const EventHandler &handler) { m_onShow = handler; }
    EventHandler onHide() const { return m_onHide; }
    void setOnHide(const EventHandler &handler) { m_onHide = handler; }
    EventHandler onDestroy() const { return m_onDestroy; }
    void setOnDestroy(const EventHandler &handler) { m_onDestroy = handler; }
    EventHandler onClose() const { return m_onClose; }
    void setOnClose(const EventHandler &handler) { m_onClose = handler; }
    EventHandler onResize() const { return m_onResize; }
    void setOnResize(const EventHandler &handler) { m_onResize = handler; }
    EventHandler onKeyDown() const { return m_onKeyDown; }
    void setOnKeyDown(const EventHandler &handler) { m_onKeyDown = handler; }
    EventHandler onKeyPress() const { return m_onKeyPress; }
    void setOnKeyPress(const EventHandler &handler) { m_onKeyPress = handler; }

    // QDialog's ending of a modal loop, kept in step with ModalResult.
    void done(int result) override;

protected:
    // Creation step of descendants (the form resource's OnCreate handler).
    virtual void FormCreate() {}
    // The handlers OnShow, OnHide, OnDestroy are bound to at creation.
    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual void FormDestroy() {}
    // Asked when the form closes; may change the action.
    virtual void FormClose(TCloseAction &action) { (void)action; }
    virtual void FormResize() {}
    // Keys seen before the focused control (KeyPreview).
    virtual void FormKeyDown(KeyEventArgs &args) { (void)args; }
    virtual void FormKeyPress(KeyPressArgs &args) { (void)args; }

    // The TKVForm part of showing (language packages); runs before OnShow.
    virtual void DoShow();

    // Raises OnDestroy once; later calls do nothing.
    void raiseDestroyOnce();

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createSteps();
    void clearImeNames();
    void applyEnglishFonts();
    void generateDisabledGlyphs();
    bool previewKey(QKeyEvent *event);
    bool ownsWidget(const QObject *object) const;
    void translateChain(QObject *target, bool wholeChain, const QMetaObject *stop);

    TCodeConverter *m_kvConverter = nullptr;
    TKvLangController *m_langController = nullptr;
    bool m_converted = false;
    bool m_translateOnShow = true;
    bool m_showHint = true;
    bool m_keyPreview = true;
    bool m_destroying = false;
    bool m_created = false;
    bool m_inModalLoop = false;
    bool m_freeAfterModal = false;
    int m_modalResult = 0;
    TPosition m_position = poScreenCenter;
    bool m_positioned = false;

    EventHandler m_onCreate;
    EventHandler m_onShow;
    EventHandler m_onHide;
    EventHandler m_onDestroy;
    EventHandler m_onClose;
    EventHandler m_onResize;
    EventHandler m_onKeyDown;
    EventHandler m_onKeyPress;
};

} // namespace kv
