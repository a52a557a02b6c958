#pragma once
// The program's application-server object, "QIPR07S.Class1" (also served as
// "Slipserv.Class1", the class the condition window names): condition sets,
// rights, SQL execution, stored layouts, print counts, workflow sign-off data
// and the providers behind the client data sets. docs/server-objects.md lists
// every operation with its arguments, replies and tables.
//
// Replies follow what the client relies on:
// - condition-set operations answer "" on success, else the error text;
// - layout operations answer a number (negative or 0 for failure) and keep
//   the reason in the property LastError;
// - operations that run SQL or read data raise an error reply with a clear
//   message (the client catches it at its boundary).
// Every failure also goes to the alert log "Slipserv".
//
// One object serves one client: Connect binds it to the client's company
// database, and all later calls work there. The object is used on one thread.

#include "db/Database.h"
#include "objects/LayoutStore.h"
#include "objects/PrintLedger.h"
#include "objects/ProgramSession.h"
#include "objects/ServerConfig.h"
#include "platform/DispatchObject.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace slip {

class ProgramServer : public kv::DispatchObject {
public:
    static constexpr const char *kProgId = "QIPR07S.Class1";
    static constexpr const char *kAliasProgId = "Slipserv.Class1";

    ProgramServer(std::shared_ptr<Database> database, ServerConfig config);
    // Gives back the layout locks the session still holds.
    ~ProgramServer() override;

    const ProgramSession &session() const { return m_session; }
    const std::string &lastError() const { return m_lastError; }

private:
    using Args = std::vector<kv::Variant>;

    void addSessionMembers();
    void addConditionSetMembers();
    void addSqlMembers();
    void addLayoutMembers();
    void addWorkflowMembers();

    kv::Variant connect(const kv::Variant &context);
    kv::Variant insertConditionSet(const kv::Variant &args);
    kv::Variant getRecords(Args &args);
    kv::Variant providerRecords(const std::string &provider, const std::string &sql, const kv::Variant &params);
    kv::Variant insertOrUpdateLayout(Args &args);
    kv::Variant findLayout(Args &args);
    kv::Variant lockLayout(Args &args);
    // The lock key of a layout of the session's company database.
    LayoutLocks::Key layoutLockKey(const std::string &className, const std::string &name) const;

    // Runs body; a failure is recorded in LastError and the alert log and
    // answered by onFailure.
    kv::Variant attempt(const char *operation, const std::function<kv::Variant()> &body,
                        const std::function<kv::Variant(const std::string &)> &onFailure);
    // Failure policies: an error text as the reply, a fallback number with
    // LastError, or an error reply.
    kv::Variant textReply(const char *operation, const std::function<void()> &body);
    kv::Variant numberReply(const char *operation, int fallback, const std::function<kv::Variant()> &body);
    kv::Variant raising(const char *operation, const std::function<kv::Variant()> &body);
    void record(const char *operation, const std::string &reason);

    void requireConnected() const;
    // The print and send ledger: who asks, and what the client says about
    // an output (the elements of an UpdatePrintCount request after the slip).
    LedgerClerk ledgerClerk() const;
    static LedgerOutput ledgerOutput(const std::vector<kv::Variant> &list);
    Database &db() const { return *m_database; }

    std::shared_ptr<Database> m_database;
    ServerConfig m_config;
    ProgramSession m_session;
    std::string m_setsUser;    // set by LoadTable for "pvdConSave"
    std::string m_setsProgram;
    std::string m_lastError;
    // This session's identity for the layout locks.
    std::uint64_t m_lockHolder = LayoutLocks::newHolder();
};

} // namespace slip
