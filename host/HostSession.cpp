#include "HostSession.h"

#include "ModuleLoader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <ostream>

namespace erphost {

namespace {

std::string utf8(const std::u16string &text)
{
    return QString::fromStdU16String(text).toStdString();
}

std::string describe(const kv::Variant &value)
{
    try {
        return value.isEmpty() ? std::string("unassigned") : kv::varToStr(value);
    } catch (const kv::VariantError &) {
        return value.debugText();
    }
}

} // namespace

HostSession::HostSession(HostOptions options, kv::DispatchPtr hostApp, std::ostream &out, std::ostream &err)
    : m_options(std::move(options)), m_hostApp(std::move(hostApp)), m_out(out), m_err(err)
{
}

HostSession::~HostSession()
{
    finish();
}

std::string HostSession::plainWords(const std::string &message)
{
    QString text = QString::fromStdString(message);
    text.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
    text = text.simplified();
    if (text.contains("Not Assign \"frmVRBaseOptClass\""))
        text += " (the module registers no report window class, so it has no window to open)";
    else if (text.contains("Not Assign \"DLLControllerClass\""))
        text += " (the module registers no controller class)";
    return text.toStdString();
}

std::string HostSession::notificationName(int code)
{
    switch (code) {
    case kNotifyCreate: return "create";
    case kNotifyShow: return "show";
    case kNotifyHide: return "hide";
    case kNotifyDestroy: return "destroy";
    case kNotifyClose: return "close";
    default: return "unknown";
    }
}

void HostSession::notifyThunk(void *data, std::int32_t code, TDLLBaseController *sender)
{
    static_cast<HostSession *>(data)->notified(code, sender);
}

void HostSession::notified(int code, TDLLBaseController *sender)
{
    m_notifications.push_back(code);
    m_out << "erp-host: notification " << code << " (" << notificationName(code) << ")";
    if (code == kNotifyDestroy && sender)
        m_out << ", result code " << sender->ResultCode << ", result value " << describe(sender->ResultValue);
    m_out << std::endl;
    if (code == kNotifyDestroy && m_loop)
        m_loop->quit();
}

bool HostSession::call(const std::string &what, const std::function<std::int32_t()> &operation, bool command)
{
    try {
        const std::int32_t result = operation();
        if (result == kExecuteDone)
            return true;
        if (command && result == kExecuteNoData) {
            m_err << "erp-host: " << what << " returned " << result << " (no data: nothing to print)" << std::endl;
            m_noData = true;
            return false;
        }
        m_err << "erp-host: " << what << " returned " << result
              << (command ? " (the run failed; the window's messages above say why)" : " (the window could not do it)")
              << std::endl;
    } catch (const std::exception &error) {
        m_err << "erp-host: " << what << " failed: " << plainWords(error.what()) << std::endl;
    } catch (...) {
        m_err << "erp-host: " << what << " failed with an error the host cannot read" << std::endl;
    }
    m_failed = true;
    return false;
}

int HostSession::run()
{
    std::unique_ptr<ModuleLoader> module;
    try {
        module = std::make_unique<ModuleLoader>(m_options.module);
        m_controller.reset(module->getController()());
    } catch (const std::exception &error) {
        m_err << "erp-host: " << plainWords(error.what()) << std::endl;
        return kExitFailed;
    }
    if (!m_controller) {
        m_err << "erp-host: the module " << m_options.module << " gave no controller" << std::endl;
        return kExitFailed;
    }
    m_controller->HostApp = kv::Variant(m_hostApp);
    m_controller->OnNotify = {&HostSession::notifyThunk, this};

    for (const std::string &file : {m_options.printToPdf, m_options.pagesJson, m_options.dumpLayout}) {
        if (!file.empty())
            m_outputsBefore.emplace_back(file, QFileInfo(QString::fromStdString(file)).lastModified());
    }
    if (openWindow()) {
        if (!m_options.storeLayout.empty())
            storeLayout();
        if (m_options.conditions)
            call("SetConditions", [this] { return m_controller->SetConditions(*m_options.conditions); });
        for (const ExecuteCommand &command : m_options.executes)
            call(
                "Execute " + std::to_string(command.kind),
                [this, &command] { return m_controller->Execute(command.kind, kv::Variant(), command.params); },
                true);
        reportOutputFiles();
        if (m_options.show)
            showUntilClosed();
    }
    settle();
    finish();
    if (m_failed)
        return kExitFailed;
    if (m_refused)
        return kExitRefused;
    return m_noData ? kExitNoData : kExitDone;
}

bool HostSession::openWindow()
{
    const kv::Variant params = m_options.startupParams();
    if (!call("Open", [this, &params] { return m_controller->Open(params); }))
        return false;
    reportWindow();
    return true;
}

bool HostSession::storeLayout()
{
    // The report window is found by its class, and called by name: the
    // module has classes of its own, the host knows none of them.
    QWidget *window = nullptr;
    for (QWidget *candidate : QApplication::topLevelWidgets()) {
        if (candidate->inherits("kv::TfrmVRBaseOpt") && !candidate->isHidden())
            window = candidate;
        else if (!window && candidate->inherits("kv::TfrmVRBaseOpt"))
            window = candidate;
    }
    if (!window) {
        m_err << "erp-host: --store-layout: the module's window is no report window that stores layouts" << std::endl;
        m_failed = true;
        return false;
    }
    QString reason;
    const bool called = QMetaObject::invokeMethod(
        window, "StoreLayoutText", Qt::DirectConnection, Q_RETURN_ARG(QString, reason),
        Q_ARG(QString, QString::fromStdString(m_options.storeLayout)),
        Q_ARG(QString, QString::fromStdString(m_options.layoutFile)));
    if (!called) {
        m_err << "erp-host: --store-layout: the module's window cannot store layouts" << std::endl;
        m_failed = true;
        return false;
    }
    if (!reason.isEmpty()) {
        m_err << "erp-host: --store-layout " << m_options.storeLayout << " refused: " << plainWords(reason.toStdString())
              << std::endl;
        m_refused = true;
        return false;
    }
    m_out << "erp-host: stored " << m_options.layoutFile << " as the format style " << m_options.storeLayout
          << std::endl;
    return true;
}

void HostSession::reportWindow()
{
    kv::Variant info;
    if (m_controller->GetInfo(info) != 0 || !info.isArray())
        return;
    std::string text;
    const kv::VariantArray &array = info.array();
    for (int i = array.lowBound(); i <= array.highBound(); ++i)
        text += (i == array.lowBound() ? "" : ", ") + describe(array.at(i));
    m_out << "erp-host: window open: " << text << "; version " << utf8(m_controller->GetVersion()) << std::endl;
}

void HostSession::showUntilClosed()
{
    try {
        m_controller->SetVisible(kWordTrue);
    } catch (const std::exception &error) {
        m_err << "erp-host: showing the window failed: " << plainWords(error.what()) << std::endl;
        m_failed = true;
        return;
    }
    if (m_controller->IsClosed())
        return;
    if (!m_options.grabFile.empty()) {
        grabWindow();
        return;
    }
    QEventLoop loop;
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
}

void HostSession::grabWindow()
{
    // The window lays itself out and fills its lists from events of its
    // own; give them a moment before the picture is taken.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 500 && !m_controller->IsClosed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QWidget *window = m_controller->IsClosed() ? nullptr : QWidget::find(WId(m_controller->GetHandle()));
    if (!window) {
        m_err << "erp-host: --grab: the window closed before its picture could be taken" << std::endl;
        m_failed = true;
        return;
    }
    const QString file = QString::fromStdString(m_options.grabFile);
    if (!window->grab().save(file, "PNG")) {
        m_err << "erp-host: --grab: cannot write " << m_options.grabFile << std::endl;
        m_failed = true;
        return;
    }
    m_out << "erp-host: picture of the window in " << m_options.grabFile << std::endl;
}

void HostSession::reportOutputFiles()
{
    for (const auto &[file, before] : m_outputsBefore) {
        const QFileInfo info(QString::fromStdString(file));
        if (info.exists() && info.lastModified() != before)
            m_out << "erp-host: written " << file << " (" << info.size() << " bytes)" << std::endl;
    }
}

// Lets requests the window posted to itself (a close after a failed open,
// a deferred free) run before the host lets go of it.
void HostSession::settle()
{
    if (!m_controller)
        return;
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

void HostSession::finish()
{
    if (!m_controller)
        return;
    try {
        m_controller->CloseWindow();
    } catch (const std::exception &error) {
        m_err << "erp-host: closing the window failed: " << plainWords(error.what()) << std::endl;
        m_failed = true;
    }
    m_controller.reset();
}

} // namespace erphost
