#include "HostOptions.h"

#include "JsonVariant.h"

#include <QCommandLineParser>
#include <QFile>

namespace erphost {

namespace {

const char *const kUsage =
    "erp-host --user USER --company COMPANY --db COMPANYDB [--module PATH] [--registry FILE]\n"
    "         [--show] [--conditions JSON] [--execute 5|6|11 [--params JSON]] ...\n"
    "\n"
    "Loads a report module, opens its window for the user and company, and drives it\n"
    "through the module's controller.\n"
    "  --module PATH        the module file (default: QIPR07C.so beside erp-host)\n"
    "  --registry FILE      the shell's registry file (default: $QRM_REGISTRY, ...)\n"
    "  --show               show the window and run until it is closed (the default\n"
    "                       when a display is present and nothing is executed)\n"
    "  --conditions JSON    a condition package handed over with SetConditions\n"
    "  --execute KIND       5 print or preview, 6 print or preview by key,\n"
    "                       11 export pictures by key; may be repeated\n"
    "  --params JSON        the parameter array of the execute before it\n"
    "JSON may be given as @FILE. Exit status 0 when every call succeeded, else 1.\n";

kv::Variant jsonArgument(const QString &option, const QString &value)
{
    QByteArray text = value.toUtf8();
    if (value.startsWith('@')) {
        QFile file(value.mid(1));
        if (!file.open(QIODevice::ReadOnly))
            throw HostUsageError("--" + option.toStdString() + ": cannot read " + value.mid(1).toStdString());
        text = file.readAll();
    }
    try {
        return variantFromJson(text.toStdString());
    } catch (const JsonVariantError &error) {
        throw HostUsageError("--" + option.toStdString() + ": " + error.what());
    }
}

std::string required(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    const std::string name = option.names().constFirst().toStdString();
    if (!parser.isSet(option) || parser.value(option).trimmed().isEmpty())
        throw HostUsageError("--" + name + " is required");
    return parser.value(option).trimmed().toStdString();
}

std::vector<ExecuteCommand> executeCommands(const QCommandLineParser &parser)
{
    // optionNames() keeps the order of the command line, so each --params
    // goes with the --execute written before it.
    const QStringList kinds = parser.values("execute");
    const QStringList params = parser.values("params");
    std::vector<ExecuteCommand> commands;
    std::vector<bool> hasParams;
    qsizetype nextKind = 0;
    qsizetype nextParams = 0;
    for (const QString &name : parser.optionNames()) {
        if (name == "execute") {
            const QString kind = kinds[nextKind++];
            bool ok = false;
            ExecuteCommand command;
            command.kind = kind.trimmed().toInt(&ok);
            if (!ok || (command.kind != 5 && command.kind != 6 && command.kind != 11))
                throw HostUsageError("--execute " + kind.toStdString() +
                                     ": the kinds are 5 (print or preview), 6 (by key) and 11 (export by key)");
            commands.push_back(std::move(command));
            hasParams.push_back(false);
        } else if (name == "params") {
            const QString value = params[nextParams++];
            if (commands.empty() || hasParams.back())
                throw HostUsageError("--params " + value.toStdString() + " has no --execute before it");
            commands.back().params = jsonArgument("params", value);
            hasParams.back() = true;
        }
    }
    return commands;
}

} // namespace

std::string hostUsage()
{
    return kUsage;
}

kv::Variant HostOptions::startupParams() const
{
    // The host's own window handle is 0: erp-host has no main window. The
    // host options element must be there; the windows keep it for later use.
    return kv::varArrayOf({kv::Variant(user), kv::Variant(company), kv::Variant(companyDb), kv::Variant(0),
                           kv::Variant("erp-host")});
}

HostOptions parseHostOptions(const QStringList &arguments, const std::string &defaultModule, bool displayPresent)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "usage");
    const QCommandLineOption user("user", "user code", "USER");
    const QCommandLineOption company("company", "company code", "COMPANY");
    const QCommandLineOption db("db", "company database", "COMPANYDB");
    const QCommandLineOption module("module", "module file", "PATH");
    const QCommandLineOption registry("registry", "registry file", "FILE");
    const QCommandLineOption show("show", "show the window");
    const QCommandLineOption conditions("conditions", "condition package", "JSON");
    const QCommandLineOption execute("execute", "report command", "KIND");
    const QCommandLineOption params("params", "parameters of the execute before", "JSON");
    parser.addOptions({help, user, company, db, module, registry, show, conditions, execute, params});
    if (!parser.parse(arguments))
        throw HostUsageError(parser.errorText().toStdString());
    if (!parser.positionalArguments().isEmpty())
        throw HostUsageError("unexpected argument " + parser.positionalArguments().constFirst().toStdString());

    HostOptions options;
    if (parser.isSet(help)) {
        options.helpShown = true;
        return options;
    }
    options.user = required(parser, user);
    options.company = required(parser, company);
    options.companyDb = required(parser, db);
    options.module = parser.isSet(module) ? parser.value(module).toStdString() : defaultModule;
    options.registry = parser.value(registry).toStdString();
    if (parser.isSet(conditions))
        options.conditions = jsonArgument("conditions", parser.value(conditions));
    options.executes = executeCommands(parser);
    options.show = parser.isSet(show) || (options.executes.empty() && displayPresent);
    return options;
}

} // namespace erphost
