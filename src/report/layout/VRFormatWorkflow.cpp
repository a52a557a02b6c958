// Workflow sign-offs of the standard slip layout: the request for the
// sign-off data of every slip, sent once before printing, and the sign-off
// lines of one slip taken from either kind of reply.

#include "report/layout/VRFormat.h"
#include "report/layout/WorkflowReply.h"

#include "lib/DateText.h"
#include "lib/LibStrs.h"
#include "lib/SqlConditions.h"
#include "platform/ClientDataSet.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"

#include <QDateTime>


#include <algorithm>
#include <cstdio>

namespace kv {

namespace {

constexpr const char *kRequestLog = "ZQWebservice";
constexpr const char *kReplyLog = "Tessary_ReturnValue";
// Key parts beyond the fourth are not sent: the workflow knows sheets by
// form type, sheet number and two parameters.
constexpr int kKeyPartsSent = 4;

const char *const kColumnLabels[] = {"关号",     "支号",       "流水号",  "流程角色",   "收件时间",
                                     "签核时间", "签核状态",   "收件人ID", "收件人姓名", "签核人ID",
                                     "签核人姓名", "部门职位代号", "签核人职称"};
const char *const kWebColumns[] = {"关号", "支号", "签核人", "职称", "签核结果", "签核日期", "签核意见"};

void log(const char *name, const std::string &line)
{
    WriteToAlertFile(name, line, "D");
}

// Text for an XML attribute value in single quotes.
std::string xmlAttribute(const std::string &value)
{
    std::string escaped;
    for (const char character : value) {
        switch (character) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '\'': escaped += "&apos;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += character;
        }
    }
    return escaped;
}

bool isTwoDimensional(const Variant &value)
{
    return value.isArray() && value.array().dimCount() == 2;
}

int digitsOr(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : fallback;
}

std::string printfText(const char *format, int a, const std::string &separator, int b, int c)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, separator.c_str(), b, separator.c_str(), c);
    return buffer;
}

} // namespace

// ---------------------------------------------------------------- the request

QStringList TfrmVRFormat::groupFieldNames(const QString &expression) const
{
    QStringList fields;
    if (expression.trimmed().isEmpty())
        return fields;
    for (const QString &part : expression.split(QLatin1Char('+'))) {
        const qsizetype dot = part.indexOf(QLatin1Char('.'));
        fields << (dot < 0 ? part : part.mid(dot + 1)).trimmed();
    }
    return fields;
}

void TfrmVRFormat::RequestSignOffData(const std::string &programCode)
{
    UnderWorkflow = false;
    const bool workflow = SettingValue("Sys060") == "Y";
    const bool webService = SettingValue("Sys174") == "Y";
    if (!WorkflowFormCode.empty() && workflow) {
        // The form code comes from the condition window; it is quoted so that
        // a code holding a quote cannot change the statement.
        const std::string sql = webService ? "SELECT * FROM $$ZQSMC WHERE MC002=" + QuotedSql(WorkflowFormCode)
                                           : "SELECT * FROM $$ADMMQ WHERE MQ002=" + QuotedSql(WorkflowFormCode);
        try {
            UnderWorkflow = RunFreeSQL(sql) > 0;
        } catch (const std::exception &error) {
            log(kRequestLog, std::string("RunFreeSQL Error:") + error.what());
        }
    }
    if (!workflow || !UnderWorkflow)
        return;
    const QStringList fields = groupFieldNames(QRGroup->expression());
    if (fields.size() < 2)
        return;

    std::string request;
    try {
        request = buildSignOffRequest(fields);
    } catch (const std::exception &error) {
        log(kRequestLog, std::string("GetZQSignin Error:") + error.what());
        return;
    }
    if (request.empty() || ClientDataSet1->IsEmpty())
        return;
    log(kRequestLog, "mPara:" + request);
    try {
        Variant text = toDb(Variant(request));
        if (webService) {
            Variant program = toDb(Variant(programCode));
            WebServiceReply = varToStr(
                fromDb(ProgramServer()->call("GetWebserviceZQData", {Variant::ref(text), Variant::ref(program)})));
        } else {
            WorkflowReply = fromDb(ProgramServer()->call("GetZQData", {Variant::ref(text)}));
        }
    } catch (const std::exception &) {
        ShowMessage(FmtText("sDefine0", "无法Create GetZQData取得Tessary 的签核资料,可能後端未更新,请更新Slipserv.exe!!"),
                    MessageType::Warning, MessageButtons(MessageButton::Yes) | MessageButton::No);
    }
}

std::string TfrmVRFormat::buildSignOffRequest(const QStringList &fields)
{
    if (!ClientDataSet1->Active() || ClientDataSet1->IsEmpty())
        return {};
    std::vector<ClientDataSet::Field *> keyFields;
    for (const QString &name : fields)
        keyFields.push_back(&ClientDataSet1->FieldByName(name.toStdString()));
    const auto keyValues = [&keyFields] {
        std::vector<std::string> values;
        for (ClientDataSet::Field *field : keyFields)
            values.push_back(field->AsString());
        return values;
    };

    std::string request = "<FormSet> ";
    // One element per slip: the record whose key differs from the next one's.
    std::vector<std::string> values = keyValues();
    while (!ClientDataSet1->Eof()) {
        ClientDataSet1->Next();
        const std::vector<std::string> next =
            ClientDataSet1->Eof() ? std::vector<std::string>(values.size()) : keyValues();
        if (values != next && !values[0].empty() && !values[1].empty()) {
            request += " <Form wfProgramID='' ";
            request += " wfFormType='" + xmlAttribute(values[0]) + "' ";
            request += " wfSheetNo ='" + xmlAttribute(values[1]) + "' ";
            for (int part = 3; part <= kKeyPartsSent; ++part) {
                const std::string value = int(values.size()) >= part ? values[std::size_t(part) - 1] : std::string();
                request += " wfParameter" + std::to_string(part) + "='" + xmlAttribute(value) + "' ";
            }
            request += "/> \r\n";
        }
        values = next;
    }
    request += "</FormSet> ";
    ClientDataSet1->First();
    return request;
}

// ---------------------------------------------------------------- one slip

void TfrmVRFormat::FillSignIns(const QString &groupExpression)
{
    const QStringList fields = groupFieldNames(groupExpression);
    std::vector<Variant> keys{Variant(int(fields.size()))};
    for (const QString &name : fields) {
        const ClientDataSet::Field *field = ClientDataSet1->FindField(name.toStdString());
        keys.push_back(Variant(field ? field->AsString() : std::string()));
    }
    if (SettingValue("Sys060") != "Y")
        return;
    SignInTexts.clear();
    SetSignIns(DefaultSignIns);
    if (fields.size() <= 1)
        return;
    const Variant result = SignOffForSlip(varArrayOf(keys));
    if (result[0].toInt() != 0)
        SetSignIns({QString::fromStdString(varToStr(result[1])), QString::fromStdString(varToStr(result[2])),
                    QString::fromStdString(varToStr(result[3]))});
}

Variant TfrmVRFormat::SignOffForSlip(const Variant &keys)
{
    Variant result = varArrayOf({0, "", "", ""});
    if (!keys.isArray() || keys.array().elementCount() < 3)
        return result;
    if (varToStr(keys[1]).empty() || varToStr(keys[2]).empty())
        return result;
    if (SettingValue("Sys060") == "Y" && SettingValue("Sys174") == "Y")
        signOffFromWebService(keys, result);
    else
        signOffFromTables(keys, result);
    return result;
}

void TfrmVRFormat::signOffFromTables(const Variant &keys, Variant &result)
{
    const int keyCount = std::min(keys[0].toInt(), kKeyPartsSent);
    std::string texts[3];
    const Variant &reply = WorkflowReply;
    const int entries = reply.isArray() && reply.array().elementCount() > 0 ? reply[0].toInt() : 0;
    for (int entryIndex = 1; entryIndex <= entries && entryIndex <= reply.array().highBound(); ++entryIndex) {
        const Variant &entry = reply[entryIndex];
        if (!entry.isArray() || entry.array().dimCount() != 1)
            continue;
        std::vector<std::string> remembered(kKeyPartsSent + 1);
        const VariantArray &elements = entry.array();
        for (int index = elements.lowBound(); index <= elements.highBound(); ++index) {
            const Variant &element = elements.at(index);
            if (element.isText() && index >= 1 && index <= kKeyPartsSent) {
                remembered[std::size_t(index)] = element.toText();
                continue;
            }
            if (!isTwoDimensional(element))
                continue;
            bool matches = true;
            for (int key = 1; key <= keyCount; ++key)
                matches = matches && varToStr(keys[key]) == remembered[std::size_t(key)];
            if (!matches)
                continue;
            result[0] = 1;
            const VariantArray &table = element.array();
            for (int row = table.lowBound(2); row <= table.highBound(2); ++row) {
                const int column0 = table.lowBound(1);
                const std::string title = varToStr(table.at(column0 + 12, row));
                const std::string name = varToStr(table.at(column0 + 10, row));
                const std::string time =
                    signOffTime(QString::fromStdString(varToStr(table.at(column0 + 5, row))).trimmed().toStdString());
                if (!title.empty() && !name.empty() && !time.empty()) {
                    texts[0] = PadL(title, 14) + texts[0];
                    texts[1] = PadL(name, 14) + texts[1];
                    texts[2] = PadL(time, 14) + texts[2];
                } else {
                    traceRejectedRow(remembered, table, row);
                }
            }
        }
    }
    result[1] = FmtText("sDefine16", "职      称:") + texts[0];
    result[2] = FmtText("sDefine17", "签核人姓名:") + texts[1];
    result[3] = FmtText("sDefine18", "签核  时间:") + texts[2];
}

std::string TfrmVRFormat::signOffTime(const std::string &time)
{
    if (time.empty()) {
        log(kReplyLog, "Warrning:" + FmtText("sDefine2", "签核时间为空"));
        return {};
    }
    log(kReplyLog, "Warrning:" + FmtText("sDefine1", "无法做执行StrToDateTime(mDate),改用固定位数解法!!"));
    const QString text = QString::fromStdString(time);
    for (const char *format : {"yyyy/MM/dd HH:mm:ss", "yyyy/MM/dd HH:mm", "yyyy/MM/dd", "yyyy-MM-dd HH:mm:ss",
                               "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime moment = QDateTime::fromString(text, QLatin1String(format));
        if (moment.isValid())
            return DateToString(moment.date(), DateType, DateFormat);
    }
    // Fixed positions: year in characters 1-4, month 6-7, day 9-10.
    const int year = digitsOr(text.mid(0, 4), 1949);
    const int month = digitsOr(text.mid(5, 2), 10);
    const int day = digitsOr(text.mid(8, 2), 1);
    const std::string separator = DateFormat.empty() ? std::string() : QString::fromStdString(DateFormat).left(1).toStdString();
    switch (DateType) {
    case 2: return printfText("%.2d%s%.2d%s%.4d", month, separator, day, year);
    case 3: return printfText("%.2d%s%.2d%s%.4d", day, separator, month, year);
    case 4: return printfText("%.2d%s%.2d%s%.2d", year - 1911, separator, month, day);
    case 5: return printfText("%.3d%s%.2d%s%.2d", year - 1911, separator, month, day);
    default: return printfText("%.4d%s%.2d%s%.2d", year, separator, month, day);
    }
}

void TfrmVRFormat::traceRejectedRow(const std::vector<std::string> &remembered, const VariantArray &table, int row)
{
    for (std::size_t index = 1; index < remembered.size(); ++index)
        log(kReplyLog, "Key " + std::to_string(index) + "=" + remembered[index]);
    const int column0 = table.lowBound(1);
    for (int column = 0; column < 13; ++column) {
        const std::string label = FmtText("sDefine" + std::to_string(column + 3),
                                          std::to_string(column) + ":" + kColumnLabels[column] + "=");
        const std::string value = column0 + column <= table.highBound(1) ? varToStr(table.at(column0 + column, row))
                                                                         : std::string();
        log(kReplyLog, label + value);
    }
}

void TfrmVRFormat::signOffFromWebService(const Variant &keys, Variant &result)
{
    if (WebServiceReply.empty())
        return;
    const WorkflowSignOff signOff = findWorkflowSignOff(WebServiceReply, varToStr(keys[1]), varToStr(keys[2]));
    if (signOff.status == WorkflowSignOff::Status::Unreadable) {
        log(kRequestLog, "c_ZQWebserviceData:" + WebServiceReply);
        log(kRequestLog, "GetZQSignin Error:" + signOff.error);
        return;
    }
    if (signOff.status == WorkflowSignOff::Status::NotFound)
        return;
    const std::string &text = signOff.text;
    QStringList parts = QString::fromStdString(text).split(QStringLiteral("||"));
    const QString final = parts.takeLast();
    std::string header;
    for (int index = 0; index < 7; ++index) {
        if (index > 0)
            header += "  ";
        header += FmtText("sDefine" + std::to_string(19 + index), kWebColumns[index]);
    }
    // The lookup texts are in the display code page already; the server's
    // lines are converted.
    std::string lines;
    for (const QString &line : parts)
        lines += displayText(line.toStdString()) + "\r\n";
    lines += FmtText("sDefine26", "签核最终结果:") + displayText(final.toStdString());
    result[0] = 1;
    result[1] = header;
    result[2] = lines;
    result[3] = "";
}

} // namespace kv
