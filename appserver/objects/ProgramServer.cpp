#include "objects/ProgramServer.h"

#include "lib/LibStrs.h"
#include "lib/ShellSettings.h"
#include "objects/ClientSql.h"
#include "objects/ConditionSetStore.h"
#include "objects/DirectConnectString.h"
#include "objects/HostDataObject.h"
#include "objects/LayoutStore.h"
#include "objects/PrintCounter.h"
#include "objects/PrintLedger.h"
#include "objects/RightsData.h"
#include "objects/SignOffHistory.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"

#include <stdexcept>

namespace slip {

namespace {

constexpr const char *kAlertLog = "Slipserv";

// The elements of an argument array; at least `count` of them.
std::vector<kv::Variant> elements(const kv::Variant &value, std::size_t count, const char *what)
{
    std::vector<kv::Variant> list = HostDataObject::argumentList(value);
    if (list.size() < count)
        throw std::invalid_argument(std::string(what) + " needs an array of at least " + std::to_string(count) +
                                    " elements, got " + std::to_string(list.size()));
    return list;
}

std::string text(const kv::Variant &value)
{
    return kv::varToStr(value.deref());
}

std::string trimmed(const kv::Variant &value)
{
    return std::string(kv::trimBlanks(text(value)));
}

// OLE booleans arrive as booleans, as -1/0 or as texts such as "True".
bool flagOf(const kv::Variant &value)
{
    const kv::Variant &flag = value.deref();
    if (flag.isText())
        return kv::settingIsOn(kv::trimBlanks(flag.toText())) || kv::trimBlanks(flag.toText()) == "-1";
    return !flag.isEmptyOrNull() && flag.toBool();
}

std::string today()
{
    return kv::Clock::today().toString("yyyyMMdd").toStdString();
}

// A layout travels as an array of lines; it is stored as one text.
std::string layoutText(const kv::Variant &lines)
{
    const kv::Variant &value = lines.deref();
    if (!value.isArray())
        return text(value);
    std::string joined;
    for (const kv::Variant &line : HostDataObject::argumentList(value)) {
        if (!joined.empty())
            joined += '\n';
        joined += text(line);
    }
    return joined;
}

// Provider parameters: empty, or [0..1, 0..n-1] of names and values.
SqlParams providerParams(const kv::Variant &params)
{
    const kv::Variant &value = params.deref();
    if (value.isEmptyOrNull())
        return {};
    if (!value.isArray() || value.array().dimCount() != 2)
        throw std::invalid_argument("provider parameters must be a two-dimensional array of names and values");
    const kv::VariantArray &array = value.array();
    SqlParams list;
    for (int i = array.lowBound(2); i <= array.highBound(2); ++i)
        list.push_back({text(array.at(array.lowBound(1), i)), array.at(array.lowBound(1) + 1, i).deref()});
    return list;
}

bool isQueryProvider(const std::string &name)
{
    for (const char *provider : {"pvdMain", "Provider1", "Provider2", "pvdTemp"}) {
        if (kv::upperAscii(name) == kv::upperAscii(provider))
            return true;
    }
    return false;
}

} // namespace

ProgramServer::ProgramServer(std::shared_ptr<Database> database, ServerConfig config)
    : kv::DispatchObject(kProgId), m_database(std::move(database)), m_config(std::move(config))
{
    if (!m_database)
        throw std::invalid_argument("the program server needs a database");
    addSessionMembers();
    addConditionSetMembers();
    addSqlMembers();
    addLayoutMembers();
    addWorkflowMembers();
}

ProgramServer::~ProgramServer()
{
    LayoutLocks::shared().releaseAll(m_lockHolder);
}

void ProgramServer::record(const char *operation, const std::string &reason)
{
    m_lastError = std::string(operation) + ": " + reason;
    kv::WriteToAlertFile(kAlertLog, m_lastError, "D");
}

kv::Variant ProgramServer::attempt(const char *operation, const std::function<kv::Variant()> &body,
                                   const std::function<kv::Variant(const std::string &)> &onFailure)
{
    try {
        kv::Variant reply = body();
        m_lastError.clear();
        return reply;
    } catch (const std::exception &error) {
        record(operation, error.what());
        return onFailure(error.what());
    }
}

kv::Variant ProgramServer::textReply(const char *operation, const std::function<void()> &body)
{
    return attempt(
        operation,
        [&] {
            body();
            return kv::Variant(std::string());
        },
        [](const std::string &reason) { return kv::Variant(reason); });
}

kv::Variant ProgramServer::numberReply(const char *operation, int fallback, const std::function<kv::Variant()> &body)
{
    return attempt(operation, body, [fallback](const std::string &) { return kv::Variant(fallback); });
}

kv::Variant ProgramServer::raising(const char *operation, const std::function<kv::Variant()> &body)
{
    return attempt(operation, body, [this](const std::string &) -> kv::Variant { throw kv::DispatchError(m_lastError); });
}

void ProgramServer::requireConnected() const
{
    if (!m_session.connected())
        throw std::logic_error("not connected to a company database: call Connect first");
}

// --- session ---------------------------------------------------------------

void ProgramServer::addSessionMembers()
{
    addMethod("Connect", 1, 1, [this](Args &args) { return raising("Connect", [&] { return connect(args[0]); }); });
    addMethod("PowerData", 0, 0, [this](Args &) {
        return raising("PowerData", [&] {
            requireConnected();
            return RightsData(db(), m_session.companyDb).powerData(m_session);
        });
    });
    // The report's query shape for LEFT JOIN engines: both engines here.
    addMethod("SQLType", 0, 0, [](Args &) { return kv::Variant(0); });
    addMethod("ResultConnectString", 0, 1, [this](Args &) {
        return raising("ResultConnectString", [&] {
            requireConnected();
            return kv::Variant(DirectConnectString::forCompany(db(), m_config, m_session.companyDb));
        });
    });
    addProperty("LastError", [this] { return kv::Variant(m_lastError); });
}

kv::Variant ProgramServer::connect(const kv::Variant &context)
{
    const std::vector<kv::Variant> list = elements(context, 4, "Connect");
    ProgramSession session{trimmed(list[0]), trimmed(list[1]), trimmed(list[2]), trimmed(list[3]),
                           list.size() > 4 ? trimmed(list[4]) : std::string()};
    if (session.companyDb.empty())
        throw std::invalid_argument("Connect names no company database");
    db().openCompany(session.companyDb, OpenMode::Existing);
    m_session = std::move(session);
    m_setsUser = m_session.user;
    m_setsProgram = m_session.program;
    return {};
}

// --- condition sets -------------------------------------------------------

void ProgramServer::addConditionSetMembers()
{
    addMethod("LoadTable", 1, 1, [this](Args &args) {
        return raising("LoadTable", [&] {
            const std::vector<kv::Variant> list = elements(args[0], 2, "LoadTable");
            m_setsUser = text(list[0]);
            m_setsProgram = text(list[1]);
            return kv::Variant();
        });
    });
    addMethod("InsertConTable", 1, 1, [this](Args &args) { return insertConditionSet(args[0]); });
    addMethod("DeleteConTable", 1, 1, [this](Args &args) {
        return textReply("DeleteConTable", [&] {
            requireConnected();
            const std::vector<kv::Variant> list = elements(args[0], 3, "DeleteConTable");
            ConditionSetStore(db(), m_session.companyDb).remove(text(list[1]), text(list[2]), text(list[0]));
        });
    });
    addMethod("ChangeConName", 2, 2, [this](Args &args) {
        return textReply("ChangeConName", [&] {
            requireConnected();
            const std::vector<kv::Variant> from = elements(args[0], 3, "ChangeConName");
            const std::vector<kv::Variant> to = elements(args[1], 3, "ChangeConName");
            if (text(from[1]) != text(to[1]) || text(from[2]) != text(to[2]))
                throw StoreError("更改方案名时用户和程序必须相同");
            ConditionSetStore(db(), m_session.companyDb).rename(text(from[1]), text(from[2]), text(from[0]),
                                                                 text(to[0]));
        });
    });
}

// [specs, user, date, program, set name, values, replace]
kv::Variant ProgramServer::insertConditionSet(const kv::Variant &args)
{
    return textReply("InsertConTable", [&] {
        requireConnected();
        const std::vector<kv::Variant> list = elements(args, 7, "InsertConTable");
        ConditionSet set{text(list[4]), text(list[1]), text(list[3]), trimmed(list[2]), text(list[0]),
                         text(list[5])};
        if (set.date.empty())
            set.date = today();
        ConditionSetStore(db(), m_session.companyDb).save(set, flagOf(list[6]));
    });
}

// --- print and send ledger ------------------------------------------------

LedgerClerk ProgramServer::ledgerClerk() const
{
    return {m_session.program, m_session.user, m_session.company};
}

// [table, column, filter, kind, target, pages, success, fax server, message]
LedgerOutput ProgramServer::ledgerOutput(const std::vector<kv::Variant> &list)
{
    LedgerOutput output;
    output.kind = trimmed(list[3]);
    output.target = trimmed(list[4]);
    const kv::Variant &pages = list[5].deref();
    output.pages = pages.isEmptyOrNull() ? 0 : std::int64_t(pages.toDouble());
    output.success = flagOf(list[6]);
    if (list.size() > 7)
        output.faxServer = trimmed(list[7]);
    if (list.size() > 8)
        output.message = trimmed(list[8]);
    return output;
}

// --- SQL and providers -----------------------------------------------------

void ProgramServer::addSqlMembers()
{
    addMethod("RunFreeSQL", 1, 1, [this](Args &args) {
        return raising("RunFreeSQL", [&] {
            requireConnected();
            return kv::Variant(ClientSql(db(), m_session.companyDb).rowsOf(text(args[0])));
        });
    });
    // A client that reads the company database itself (the summary slip's
    // line query) runs the ERP dialect in the engine's SQL written here.
    addMethod("TranslateSql", 1, 1, [this](Args &args) {
        return raising("TranslateSql", [&] {
            requireConnected();
            return kv::Variant(ClientSql(db(), m_session.companyDb).translated(text(args[0])));
        });
    });
    addMethod("SimpleSql", 1, 1, [this](Args &args) {
        return raising("SimpleSql", [&] {
            requireConnected();
            const ClientSql sql(db(), m_session.companyDb);
            const std::string statement = text(args[0]);
            if (ClientSql::isQuery(statement))
                return kv::Variant(sql.select(statement).toDataPacket());
            return kv::Variant(sql.execute(statement));
        });
    });
    addMethod("UpdatePrintCount", 1, 1, [this](Args &args) {
        return raising("UpdatePrintCount", [&] {
            requireConnected();
            const std::vector<kv::Variant> list = elements(args[0], 3, "UpdatePrintCount");
            PrintCounter counter(db(), m_session.companyDb);
            if (list.size() < 7)
                return kv::Variant(counter.addOne(text(list[0]), text(list[1]), text(list[2])));
            return kv::Variant(counter.record(text(list[0]), text(list[1]), text(list[2]), ledgerClerk(),
                                              ledgerOutput(list)));
        });
    });
    // A ledger row without a count: a failed send, a picture file.
    addMethod("RecordPrintLedger", 1, 1, [this](Args &args) {
        return raising("RecordPrintLedger", [&] {
            requireConnected();
            const std::vector<kv::Variant> list = elements(args[0], 7, "RecordPrintLedger");
            PrintCounter counter(db(), m_session.companyDb);
            return kv::Variant(counter.record(text(list[0]), text(list[1]), text(list[2]), ledgerClerk(),
                                              ledgerOutput(list), false));
        });
    });
    addMethod("GetPrintLedger", 1, 1, [this](Args &args) {
        return raising("GetPrintLedger", [&] {
            requireConnected();
            const std::vector<kv::Variant> list = elements(args[0], 6, "GetPrintLedger");
            const LedgerFilter filter{trimmed(list[0]), trimmed(list[1]), trimmed(list[2]),
                                      trimmed(list[3]), trimmed(list[4]), trimmed(list[5])};
            return kv::Variant(PrintLedger(db(), m_session.companyDb).rows(filter).toDataPacket());
        });
    });
    addMethod("AS_GetRecords", 1, 4, [this](Args &args) { return getRecords(args); });
}

// AS_GetRecords(provider, command text, params, data request) -> data packet
kv::Variant ProgramServer::getRecords(Args &args)
{
    return raising("AS_GetRecords", [&] {
        requireConnected();
        const std::string provider = trimmed(args[0]);
        const kv::Variant none;
        const kv::Variant &request = args.size() > 3 ? args[3].deref() : none;
        const std::string sql = request.isText() && !trimmed(request).empty()
                                    ? text(request)
                                    : (args.size() > 1 ? text(args[1]) : std::string());
        return providerRecords(provider, sql, args.size() > 2 ? args[2] : none);
    });
}

kv::Variant ProgramServer::providerRecords(const std::string &provider, const std::string &sql,
                                           const kv::Variant &params)
{
    if (kv::upperAscii(provider) == "PVDCONSAVE") {
        if (m_setsUser.empty() || m_setsProgram.empty())
            throw std::logic_error("pvdConSave: no user and program given (LoadTable)");
        return ConditionSetStore(db(), m_session.companyDb).list(m_setsUser, m_setsProgram).toDataPacket();
    }
    if (!isQueryProvider(provider))
        throw std::invalid_argument("provider \"" + provider + "\" is not served by " + className());
    if (kv::trimBlanks(sql).empty())
        throw std::invalid_argument("provider " + provider + " got no SQL (command text or data request)");
    return ClientSql(db(), m_session.companyDb).select(sql, providerParams(params)).toDataPacket();
}

// --- stored layouts -------------------------------------------------------

void ProgramServer::addLayoutMembers()
{
    addMethod("GetBlobField", 2, 2, [this](Args &args) { return findLayout(args); });
    // [version as number, stored version text, class name, layout name]
    addMethod("RunUpdFlagSQL", 1, 1, [this](Args &args) { return lockLayout(args); });
    addMethod("RunInsUpdSQL", 4, 4, [this](Args &args) { return insertOrUpdateLayout(args); });
    addMethod("RunDeleteSQL", 1, 1, [this](Args &args) {
        return numberReply("RunDeleteSQL", -1, [&] {
            requireConnected();
            const std::vector<kv::Variant> list = elements(args[0], 2, "RunDeleteSQL");
            return kv::Variant(LayoutStore(db(), m_session.companyDb).remove(text(list[0]), trimmed(list[1])));
        });
    });
}

LayoutLocks::Key ProgramServer::layoutLockKey(const std::string &className, const std::string &name) const
{
    return {m_database.get(), LayoutStore(db(), m_session.companyDb).lockScope(), className, name};
}

// RunUpdFlagSQL: the session takes the save lock of a layout whose stored
// version is still the one it read; 1 granted, -1 (reason in LastError)
// when the layout changed or another session is saving it.
kv::Variant ProgramServer::lockLayout(Args &args)
{
    return numberReply("RunUpdFlagSQL", -1, [&] {
        requireConnected();
        const std::vector<kv::Variant> list = elements(args[0], 4, "RunUpdFlagSQL");
        const std::string className = text(list[2]);
        const std::string name = text(list[3]);
        const LayoutLocks::Key key = layoutLockKey(className, name);
        LayoutLocks &locks = LayoutLocks::shared();
        if (!locks.acquire(key, m_lockHolder))
            throw StoreError("格式档[" + name + "]正由他人保存，请重新编辑保存！！");
        if (!LayoutStore(db(), m_session.companyDb).isCurrent(className, name, text(list[1]))) {
            locks.release(key, m_lockHolder);
            throw StoreError("格式档[" + name + "]已被他人更新或删除，请重新编辑保存！！");
        }
        return kv::Variant(1);
    });
}

// GetBlobField([class name, layout name], out [version, layout text]) -> 1 found, 0 not
kv::Variant ProgramServer::findLayout(Args &args)
{
    return numberReply("GetBlobField", -1, [&] {
        requireConnected();
        const std::vector<kv::Variant> key = elements(args[0], 2, "GetBlobField");
        const auto stored = LayoutStore(db(), m_session.companyDb).find(text(key[0]), text(key[1]));
        args[1].assign(stored ? kv::varArrayOf({stored->version, stored->text}) : kv::Variant());
        return kv::Variant(stored ? 1 : 0);
    });
}

// RunInsUpdSQL(update?, lines, header, out size in KB). Header of an update:
// [company, user, "", new version, class, name, option state]; of a new
// layout: [company, user, user group, class, name, "", option state].
kv::Variant ProgramServer::insertOrUpdateLayout(Args &args)
{
    return numberReply("RunInsUpdSQL", -1, [&] {
        requireConnected();
        const bool update = flagOf(args[0]);
        const std::vector<kv::Variant> header = elements(args[2], 7, "RunInsUpdSQL");
        LayoutWrite layout;
        layout.company = text(header[0]);
        layout.user = text(header[1]);
        layout.userGroup = text(header[2]);
        layout.className = text(header[update ? 4 : 3]);
        layout.name = text(header[update ? 5 : 4]);
        layout.version = update ? trimmed(header[3]) : "1";
        layout.optionState = text(header[6]);
        layout.text = layoutText(args[1]);
        LayoutStore store(db(), m_session.companyDb);
        if (update) {
            // A lock another session holds means that session is about to
            // write: this write would be lost or undo its work.
            const LayoutLocks::Key key = layoutLockKey(layout.className, layout.name);
            if (LayoutLocks::shared().heldByOther(key, m_lockHolder))
                throw StoreError("格式档[" + layout.name + "]正由他人保存，请重新编辑保存！！");
            struct Release {
                LayoutLocks::Key key;
                std::uint64_t holder;
                ~Release() { LayoutLocks::shared().release(key, holder); }
            } release{key, m_lockHolder};
            store.update(layout);
        } else {
            store.insert(layout);
        }
        args[3].assign(LayoutStore::sizeInKb(layout.text));
        return kv::Variant(1);
    });
}

// --- workflow sign-off ----------------------------------------------------

void ProgramServer::addWorkflowMembers()
{
    addMethod("GetZQData", 1, 1, [this](Args &args) {
        return raising("GetZQData", [&] {
            requireConnected();
            return SignOffHistory(db(), m_session.companyDb).zqData(text(args[0]));
        });
    });
    // The program code is accepted for the client's sake; sheets are
    // identified by their form type and number alone.
    addMethod("GetWebserviceZQData", 2, 2, [this](Args &args) {
        return raising("GetWebserviceZQData", [&] {
            requireConnected();
            return kv::Variant(SignOffHistory(db(), m_session.companyDb).webserviceZqData(text(args[0])));
        });
    });
}

} // namespace slip
