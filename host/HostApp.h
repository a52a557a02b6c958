#pragma once
// HostApp: the host's automation object, handed to the module through the
// controller. The program windows call it for messages, help, edition and
// version numbers, the server objects (counter, validator, lookup window),
// the description of server-side files and the style of a layout about to
// be created:
//   GetMessage (kind, number)      → message text with its placeholders
//   CallHelp ([system, topic])     → opens the topic's help page
//   VersionType, ProductID         → integers
//   Com_Counter, Com_Validator     → the data objects "QRM.Counter" and
//                                    "QRM.Validator", one of each per host
//   Com_F2Window                   → the host's lookup/calendar/phrase object
//   GetFileList ([file name])      → "<Modify>stamp</Modify><Path>file</Path>"
//                                    of the file in the server's library
//                                    folders; empty when it is not there
//   SetFormCreateStyle (style)     → remembered (property FormCreateStyle)
//
// The data objects come from a HostDataSource opened on first need; when it
// cannot be opened every request that needs it fails with the reason.

#include "platform/DispatchObject.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace erphost {

class HostDataSource;

struct HostAppSettings {
    int productId = 3;
    int versionType = 0;
    std::string helpBaseUrl;                // ends in "/"
};

class HostApp : public kv::DispatchObject {
public:
    static constexpr const char *progId = "QRM.HostApp";
    using SourceOpener = std::function<std::unique_ptr<HostDataSource>()>;
    using UrlOpener = std::function<void(const std::string &url)>;

    HostApp(HostAppSettings settings, SourceOpener openSource);
    ~HostApp() override;

    // Replaces how help pages are opened (default: the desktop's browser, or
    // the address printed when there is no display).
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    std::string message(const std::string &kind, const std::string &number);
    // The help page address of a topic.
    std::string helpUrl(const std::string &system, const std::string &topic) const;
    void callHelp(const kv::Variant &args);
    kv::DispatchPtr counter();
    kv::DispatchPtr validator();
    kv::DispatchPtr f2Window();
    // The application server's file list entry of a program file (its
    // stamp and download address); empty when the server offers none.
    std::string fileDescription(const kv::Variant &args);
    const std::string &formCreateStyle() const { return m_formCreateStyle; }

    // The data source, opened on first use; throws kv::DispatchError with
    // the reason it cannot be opened (every time it is asked).
    HostDataSource &source();

    static void openUrlOnDesktop(const std::string &url);

private:
    void registerMembers();

    HostAppSettings m_settings;
    SourceOpener m_openSource;
    UrlOpener m_openUrl;
    std::unique_ptr<HostDataSource> m_source;
    std::string m_sourceError;
    kv::DispatchPtr m_counter;
    kv::DispatchPtr m_validator;
    kv::DispatchPtr m_catalog;
    kv::DispatchPtr m_fileList;
    kv::DispatchPtr m_f2Window;
    std::string m_formCreateStyle;
};

} // namespace erphost
