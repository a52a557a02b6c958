// TfrmBaseGene: the link to the host's server objects and to the program
// server, system settings, checks, counters, lookups and the code-page
// conversion around every request.
#include "base/BaseGene.h"

#include "base/DateDisplay.h"
#include "base/LocalProgramServer.h"
#include "base/ServerProgramRunner.h"
#include "base/SocketConnection.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "lib/MarshalIniC.h"
#include "lib/MarshalIniS.h"
#include "platform/ClientDataSet.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QRegularExpression>

namespace kv {

namespace {

const char *const kCategoryCaptions[] = {"商品分类方式一", "商品分类方式二", "商品分类方式三", "商品分类方式四"};
const char *const kEnglishCategoryCaptions[] = {"Inv.Cate.1", "Inv.Cate.2", "Inv.Cate.3", "Inv.Cate.4"};

// Element i of a one-dimensional array counted from its low bound; empty
// when there is none.
Variant elementOf(const Variant &array, int index)
{
    if (!array.isArray() || array.array().dimCount() != 1)
        return {};
    const int position = array.array().lowBound() + index;
    if (position > array.array().highBound())
        return {};
    return array[position];
}

// 0..3 for "SYS007".."SYS010" in any case, else -1.
int categoryIndex(const std::string &name)
{
    const QString upper = QString::fromStdString(name).toUpper();
    for (int index = 0; index < 4; ++index)
        if (upper == QStringLiteral("SYS0%1").arg(index + 7, 2, 10, QLatin1Char('0')))
            return index;
    return -1;
}

DispatchPtr objectOf(const Variant &value)
{
    return value.isObject() ? value.toObject() : nullptr;
}

} // namespace

Variant TfrmBaseGene::toDb(const Variant &value) const
{
    return KvConverter()->RecoverDataString(value);
}

Variant TfrmBaseGene::fromDb(const Variant &value) const
{
    return KvConverter()->ConvertDataString(value);
}

// --- server objects from the host

void TfrmBaseGene::GetCounterAndValidator()
{
    try {
        CounterServer = HostApp.toObject()->get("Com_Counter");
        GetSysValue("");
        CaptionTag = GetSysValue("QRM002");
    } catch (const std::exception &) {
        CounterServer = Variant();
    }
    try {
        ValidatorServer = HostApp.toObject()->get("Com_Validator");
    } catch (const std::exception &) {
        ValidatorServer = Variant();
    }
    readDateSettings();
}

void TfrmBaseGene::GetF2Server()
{
    try {
        F2Server = HostApp.toObject()->get("Com_F2Window");
    } catch (const std::exception &) {
        F2Server = Variant();
    }
}

void TfrmBaseGene::readDateSettings()
{
    bool isNumber = false;
    const int kind = QString::fromStdString(GetSysValue("Sys001")).trimmed().toInt(&isNumber);
    // A kind the date display does not know would give unusable masks.
    DateKind = isNumber && kind >= 1 && kind <= 5 ? kind : 1;
    DateSep = GetSysValue("Sys002");
    if (DateSep.empty())
        DateSep = "/";
}

// --- system settings

std::string TfrmBaseGene::GetSysValue(const std::string &name)
{
    if (name.empty()) {
        reloadSysInfo();
        return {};
    }
    std::string value;
    for (const auto &[key, setting] : SysInfo)
        if (sameName(key, name)) {
            value = setting;
            break;
        }
    if (!value.empty())
        return isConverted() ? varToStr(fromDb(Variant(value))) : value;
    const int category = categoryIndex(name);
    if (category < 0)
        return value;
    value = KvConverter()->uiCodePage() == "437" ? kEnglishCategoryCaptions[category] : kCategoryCaptions[category];
    return isConverted() ? varToStr(KvConverter()->ConvertUIString(Variant(value))) : value;
}

void TfrmBaseGene::reloadSysInfo()
{
    const DispatchPtr counter = objectOf(CounterServer);
    if (!counter)
        return;
    Variant company(CompanyID);
    const Variant reply = counter->call("GetSysInfo", {Variant::ref(company)});
    // An empty reply keeps the settings read before.
    if (!reply.isArray() || reply.array().dimCount() != 2 || reply.array().bounds()[1].count() == 0)
        return;
    const VariantArray &table = reply.array();
    const int nameRow = table.lowBound(1);
    SettingList settings;
    for (int column = table.lowBound(2); column <= table.highBound(2); ++column)
        settings.emplace_back(varToStr(table.at(nameRow, column)), varToStr(table.at(nameRow + 1, column)));
    SysInfo = std::move(settings);
}

// --- checks, counters, lookups

bool TfrmBaseGene::CheckCode(const std::string &table, const std::string &key, bool query, Variant &result,
                             const Variant &args)
{
    bool found = false;
    try {
        Variant arguments = toDb(args);
        const DispatchPtr validator = objectOf(ValidatorServer);
        if (!validator)
            return false;
        try {
            validator->put("ProductID", Variant(ProductID));
        } catch (const std::exception &) {
        }
        try {
            validator->put("BaseLimited", Variant(RightsLimits));
        } catch (const std::exception &) {
        }
        Variant tableName(table);
        Variant keyName(key);
        Variant database(CompanyDB);
        Variant row;
        const Variant reply = validator->call(query ? "QueryData" : "CheckValue",
                                              {Variant::ref(tableName), Variant::ref(keyName),
                                               Variant::ref(database), arguments, Variant::ref(row)});
        found = reply.toBool();
        result = row;
    } catch (const std::exception &) {
        found = false;
    }
    if (isConverted())
        result = fromDb(result);
    return found;
}

void TfrmBaseGene::readProgramName()
{
    Variant result;
    if (!CheckCode("ADMMB", "01", false, result, varArrayOf({ProgramCode}))) {
        ProgramName = ProgramCode;
        m_wantLog = false;
        return;
    }
    ProgramName = varToStr(elementOf(result, 0));
    m_wantLog = varToStr(elementOf(result, 4)) == "Y";
    const bool hasEnglishName = result.isArray() && result.array().elementCount() > 7;
    if (hasEnglishName && KvConverter()->uiCodePage() == "437")
        ProgramName = varToStr(elementOf(result, 7));
}

Variant TfrmBaseGene::GetCounterValue(const std::string &name, const Variant &value)
{
    const DispatchPtr counter = objectOf(CounterServer);
    if (!counter)
        return {};
    Variant step = value;
    const Variant reply = counter->call(
        "GetCounter", {Variant(QString::fromStdString(name).toUpper().toStdString()), Variant::ref(step),
                       varArrayOf({CompanyID, CompanyDB})});
    return isConverted() ? fromDb(reply) : reply;
}

void TfrmBaseGene::PickDate(QString &text, bool asDate)
{
    const DispatchPtr f2 = objectOf(F2Server);
    if (!f2)
        return;
    const DateDisplay display = dateDisplay();
    std::string start = (asDate ? display.StoredDate(text) : display.StoredMonth(text)).value_or(std::string());
    if (!asDate && start.size() == 6)
        start += "01";
    if (start.size() != 8)
        start = Clock::today().toString(QStringLiteral("yyyyMMdd")).toStdString();
    const Variant reply = f2->call("ShowInputDay", {varArrayOf({DateKind > 3, start, CompanyDB})});
    const std::string picked = QString::fromStdString(varToStr(reply)).trimmed().toStdString();
    if (picked.empty())
        return;
    text = asDate ? display.ShownDate(picked) : display.ShownMonth(picked);
}

void TfrmBaseGene::PickPhrase(QWidget *control)
{
    const DispatchPtr f2 = objectOf(F2Server);
    if (!f2 || !control)
        return;
    Variant database(CompanyDB);
    const Variant reply =
        f2->call("GetPhrase", {Variant(UserID), Variant::ref(database), Variant(std::int64_t(winId()))});
    const std::string phrase = varToStr(fromDb(reply));
    if (!phrase.empty())
        control->setProperty("Text", QString::fromStdString(phrase));
}

Variant TfrmBaseGene::LookupF2(const std::string &lookupName, const std::string &keyText, const Variant &conditions,
                               bool option, const std::string &text)
{
    const DispatchPtr f2 = objectOf(F2Server);
    if (!f2)
        return {};
    const auto rightGranted = [this](std::size_t position) {
        return position >= RightsString.size() || RightsString[position] != 'N';
    };
    Variant request = varArrayOf({lookupName, keyText, toDb(conditions), option, toDb(Variant(text)), CompanyID,
                                  CompanyDB, std::int64_t(winId()), 1, false, ProductID, "", "", "", RightsLimits,
                                  rightGranted(7), rightGranted(6), HostApp, UserID});
    const Variant reply = f2->call("F2GetData", {request});
    return isConverted() ? fromDb(reply) : reply;
}

void TfrmBaseGene::ParseRights(const Variant &rightsData)
{
    const QStringList fields = QString::fromStdString(varToStr(elementOf(rightsData, 1))).split(QLatin1Char(','));
    RightsString = fields.value(3).toStdString();
    RightsLimits = varToStr(elementOf(rightsData, 2));
    AfterRights();
}

// --- the program server

bool TfrmBaseGene::PrepareConnection(TSocketConnection *connection)
{
    try {
        connection->setConnected(false);
        const TMarshalIniC settings;
        if (!ErrorCodes.empty()) {
            ReportMessage(ErrorCodes);
            return false;
        }
        const Variant &servers = settings.Servers;
        if (servers.isArray() && servers.array().dimCount() == 2 && servers.array().bounds()[1].count() > 0) {
            const VariantArray &table = servers.array();
            connection->setAddress(QString::fromStdString(varToStr(table.at(table.lowBound(1), table.lowBound(2)))));
            connection->setObjectBroker(nullptr);
            connection->setPort(table.at(table.lowBound(1) + 1, table.lowBound(2)).toInt());
        }
        if (!settings.IniFileName.empty()) {
            const IniFile ini = IniFile::load(settings.IniFileName);
            const std::string token = ini.readString("Server Information", "AccessToken", "");
            if (!token.empty())
                if (const std::string exposed = ini.secretExposure("the server's access token"); !exposed.empty())
                    throw std::runtime_error(exposed);
            connection->setAccessToken(QString::fromStdString(token));
        }
        return true;
    } catch (const std::exception &error) {
        ReportText(error.what());
        return false;
    }
}

bool TfrmBaseGene::ConnectProgramServer()
{
    ProgramServer = Variant();
    try {
        if (MainMidas->isConnected())
            MainMidas->setConnected(false);
        LocalServer = MainMidas->address() == QLatin1String("127.0.0.1");
        if (LocalServer) {
            const DispatchPtr server = LocalProgramServer::Create(MainMidas->serverName().toStdString());
            MainMidas->setAppServer(server);
            ProgramServer = Variant(server);
        } else {
            MainMidas->setConnected(true);
            if (MainMidas->isConnected())
                ProgramServer = Variant(MainMidas->AppServer());
        }
        ClientDataSet1->setRemoteServer(MainMidas->AppServer());
        return true;
    } catch (const std::exception &error) {
        ReportText(error.what());
        return false;
    }
}

std::string TfrmBaseGene::ResolveTablePrefix(const std::string &sql) const
{
    const QString prefix = QString::fromStdString(CompanyDB) + QStringLiteral("..");
    return QString::fromStdString(sql)
        .replace(QStringLiteral("$$"), prefix, Qt::CaseInsensitive)
        .toStdString();
}

// --- client data sets

void TfrmBaseGene::HookFieldConversion()
{
    for (ClientDataSet *dataSet : findChildren<ClientDataSet *>()) {
        if (!dataSet->property("kvFieldsHooked").toBool()) {
            dataSet->setProperty("kvFieldsHooked", true);
            // Fields are made anew by every opening.
            connect(dataSet, &ClientDataSet::afterOpen, this, [this, dataSet] { hookFields(dataSet); });
        }
        if (dataSet->Active())
            hookFields(dataSet);
    }
}

void TfrmBaseGene::hookFields(ClientDataSet *dataSet)
{
    for (ClientDataSet::Field *field : dataSet->Fields()) {
        field->setDisplayLabel(varToStr(KvConverter()->ConvertUIString(Variant(field->DisplayLabel()))));
        if (field->DataType() != FieldType::Text || field->hasOnGetText() || field->hasOnSetText())
            continue;
        field->setOnGetText([this](const ClientDataSet::Field &, const std::string &text) {
            return varToStr(fromDb(Variant(text)));
        });
        field->setOnSetText([this](const ClientDataSet::Field &, const std::string &text) {
            return varToStr(toDb(Variant(text)));
        });
    }
}

// --- the server-side program library

bool TfrmBaseGene::RunServerProgram(const std::string &runMode, const std::vector<std::string> &texts,
                                    const Variant &value, int number)
{
    QApplication::processEvents();
    const TMarshalIniS settings;
    const std::string fileName = ProgramCode + "S.so";
    const auto entryOf = [this](const std::string &name) -> std::string {
        try {
            return HostApp.isObject() ? varToStr(HostApp.toObject()->call("GetFileList", {Variant(name)})) : "";
        } catch (const std::exception &) {
            return {};
        }
    };
    std::string checkMessage;
    const std::string library = ServerProgramRunner::SelectLibrary(settings.WorkDLLPaths, fileName, entryOf,
                                                                   checkMessage);
    if (library.empty() || !QFileInfo::exists(QString::fromStdString(library))) {
        ReportText(checkMessage.empty() ? "The server program " + fileName + " is not in any library directory"
                                        : checkMessage);
        return false;
    }
    ServerProgramRunner::Request request;
    request.programCode = ProgramCode;
    request.runMode = runMode;
    request.texts = texts;
    request.value = value;
    request.number = number;
    request.productId = ProductID;
    request.running = m_running;
    request.uiCodePage = KvConverter()->uiCodePage();
    std::string message;
    std::string error;
    m_running = true;
    const bool result = ServerProgramRunner::Run(library, request, message, error);
    m_running = false;
    if (!message.empty())
        ReportText(message);
    if (!error.empty())
        ReportText(error);
    return result;
}

} // namespace kv
