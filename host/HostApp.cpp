#include "HostApp.h"

#include "F2Window.h"
#include "HostDataSource.h"
#include "platform/TextUtil.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include <iostream>

namespace erphost {

namespace {

// The first element of an array argument, or the value itself.
kv::Variant firstOf(const kv::Variant &value, int index = 0)
{
    const kv::Variant &v = value.deref();
    if (!v.isArray() || v.array().dimCount() != 1)
        return index == 0 ? v : kv::Variant();
    const kv::VariantArray &array = v.array();
    const int at = array.lowBound() + index;
    return at <= array.highBound() ? array.at(at) : kv::Variant();
}

bool headless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal" || platform.isEmpty();
}

} // namespace

HostApp::HostApp(HostAppSettings settings, SourceOpener openSource)
    : DispatchObject("QRM.HostApp"), m_settings(std::move(settings)), m_openSource(std::move(openSource)),
      m_openUrl(&HostApp::openUrlOnDesktop)
{
    registerMembers();
}

HostApp::~HostApp() = default;

void HostApp::registerMembers()
{
    addMethod("GetMessage", 2, 2, [this](std::vector<kv::Variant> &args) {
        return kv::Variant(message(kv::varToStr(args[0].deref()), kv::varToStr(args[1].deref())));
    });
    addMethod("CallHelp", 1, 2, [this](std::vector<kv::Variant> &args) {
        callHelp(args.size() == 2 ? kv::varArrayOf({args[0].deref(), args[1].deref()}) : args[0]);
        return kv::Variant();
    });
    addProperty("VersionType", [this] { return kv::Variant(m_settings.versionType); });
    addProperty("ProductID", [this] { return kv::Variant(m_settings.productId); });
    addProperty("Com_Counter", [this] { return kv::Variant(counter()); });
    addProperty("Com_Validator", [this] { return kv::Variant(validator()); });
    addProperty("Com_F2Window", [this] { return kv::Variant(f2Window()); });
    addMethod("GetFileList", 1, 1,
              [this](std::vector<kv::Variant> &args) { return kv::Variant(fileDescription(args[0])); });
    addMethod("SetFormCreateStyle", 1, 1, [this](std::vector<kv::Variant> &args) {
        m_formCreateStyle = kv::varToStr(args[0].deref());
        return kv::Variant();
    });
    addProperty("FormCreateStyle", [this] { return kv::Variant(m_formCreateStyle); });
}

HostDataSource &HostApp::source()
{
    if (m_source)
        return *m_source;
    if (m_sourceError.empty()) {
        try {
            m_source = m_openSource();
            if (m_source)
                return *m_source;
            m_sourceError = "no data source is configured";
        } catch (const std::exception &error) {
            m_sourceError = error.what();
        }
    }
    throw kv::DispatchError("the host's data objects are not available: " + m_sourceError);
}

std::string HostApp::message(const std::string &kind, const std::string &number)
{
    if (!m_catalog)
        m_catalog = source().create("QRM.MessageCatalog");
    return kv::varToStr(m_catalog->call("GetMessage", {kv::Variant(kind), kv::Variant(number)}));
}

std::string HostApp::helpUrl(const std::string &system, const std::string &topic) const
{
    const QString page = QString::fromStdString(system).trimmed().toUpper() + "/" +
                         QString::fromStdString(topic).trimmed() + ".htm";
    return m_settings.helpBaseUrl + QUrl::toPercentEncoding(page, "/").toStdString();
}

void HostApp::callHelp(const kv::Variant &args)
{
    const std::string system = kv::varToStr(firstOf(args, 0));
    const std::string topic = kv::varToStr(firstOf(args, 1));
    if (topic.empty())
        throw kv::DispatchError("CallHelp: no help topic given");
    m_openUrl(helpUrl(system, topic));
}

void HostApp::openUrlOnDesktop(const std::string &url)
{
    if (headless() || !QDesktopServices::openUrl(QUrl(QString::fromStdString(url))))
        std::cout << "erp-host: help page " << url << std::endl;
}

kv::DispatchPtr HostApp::counter()
{
    if (!m_counter)
        m_counter = source().create("QRM.Counter");
    return m_counter;
}

kv::DispatchPtr HostApp::validator()
{
    if (!m_validator)
        m_validator = source().create("QRM.Validator");
    return m_validator;
}

kv::DispatchPtr HostApp::f2Window()
{
    if (!m_f2Window)
        m_f2Window = std::make_shared<F2Window>([this] { return source().create("QRM.F2Data"); });
    return m_f2Window;
}

std::string HostApp::fileDescription(const kv::Variant &args)
{
    const std::string wanted = kv::lowerAscii(kv::varToStr(firstOf(args)));
    if (wanted.empty())
        return {};
    // Without an answer the module keeps the copy it has: a server that
    // cannot be asked must not stop the program from running.
    try {
        if (!m_fileList)
            m_fileList = source().create("QRM.FileList");
        return kv::varToStr(m_fileList->call("GetFileList", {kv::Variant(wanted)}));
    } catch (const std::exception &error) {
        std::cerr << "erp-host: no file list entry for " << wanted << ": " << error.what() << std::endl;
        return {};
    }
}

} // namespace erphost
