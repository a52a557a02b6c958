#pragma once
// One run of erp-host: load the module, take a controller, hand it HostApp
// and the notification event, open the window with the start-up array, pass
// the condition package, run the report commands and show the window until
// it is closed (or, with --grab, just long enough to take its picture).
// Every notification is logged. The run succeeds when every controller call
// the user asked for returned 0; a report command that found no slips is
// told apart (see the exit statuses below); errors are told in plain words.

#include "HostOptions.h"

#include "controller/DLLBaseCtrller.h"
#include "platform/Dispatch.h"

#include <QDateTime>
#include <QEventLoop>

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace erphost {

// The exit statuses of erp-host (listed in its usage text).
enum HostExitStatus : int {
    kExitDone = 0,   // every call succeeded
    kExitFailed = 1, // a call failed, or the module or the command line was unusable
    kExitNoData = 2, // no call failed, but a report command found no slips
    kExitRefused = 2, // no call failed, but the window refused to store the layout
};

class HostSession {
public:
    HostSession(HostOptions options, kv::DispatchPtr hostApp, std::ostream &out, std::ostream &err);
    ~HostSession();
    HostSession(const HostSession &) = delete;
    HostSession &operator=(const HostSession &) = delete;

    // Runs the whole session; the process exit status (HostExitStatus).
    int run();

    const std::vector<int> &notifications() const { return m_notifications; }

    // A text fit for a terminal: carriage returns of the module's messages
    // become blanks, and the internal "Not Assign" errors get an explanation.
    static std::string plainWords(const std::string &message);
    // "create", "show", … for a notification code.
    static std::string notificationName(int code);

private:
    static void notifyThunk(void *data, std::int32_t code, TDLLBaseController *sender);
    void notified(int code, TDLLBaseController *sender);
    // Runs one controller call; false (reported) when it raised or returned
    // anything but 0. For a report command (command) the answer "no data"
    // is told and remembered, not taken for a failure.
    bool call(const std::string &what, const std::function<std::int32_t()> &operation, bool command = false);
    bool openWindow();
    // --store-layout: asks the report window to store the layout text;
    // false (the reason told) when it refused.
    bool storeLayout();
    void reportWindow();
    void showUntilClosed();
    // --grab: waits until the shown window has painted, saves its picture.
    void grabWindow();
    // Tells which of the files the module was to write this run wrote.
    void reportOutputFiles();
    void settle();
    void finish();

    HostOptions m_options;
    kv::DispatchPtr m_hostApp;
    std::ostream &m_out;
    std::ostream &m_err;
    std::unique_ptr<TDLLBaseController> m_controller;
    std::vector<int> m_notifications;
    QEventLoop *m_loop = nullptr;
    std::vector<std::pair<std::string, QDateTime>> m_outputsBefore; // file, time last written
    bool m_failed = false;
    bool m_noData = false;
    bool m_refused = false;
};

} // namespace erphost
