#include "HostOptions.h"

#include "JsonVariant.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>

namespace erphost {

namespace {

const char *const kUsage =
    "erp-host --user USER --company COMPANY --db COMPANYDB [--module PATH] [--registry FILE]\n"
    "         [--show] [--grab FILE] [--conditions JSON] [--print-to-pdf FILE] [--pages-json FILE]\n"
    "         [--layout-style NAME] [--dump-layout FILE] [--store-layout NAME --layout-file FILE]\n"
    "         [--execute KIND (command options | --params JSON)] ...\n"
    "         [--send mail|fax [--fax-server NAME] [--subject TEXT]] [--smtp URL] [--fax-spool DIR]\n"
    "         [--export-pdf FILE [--per-slip]]\n"
    "\n"
    "Loads a report module, opens its window for the user and company, and drives it\n"
    "through the module's controller.\n"
    "  --module PATH        the module file (default: QIPR07C.so beside erp-host)\n"
    "  --registry FILE      the shell's registry file (default: $QRM_REGISTRY, ...)\n"
    "  --show               show the window and run until it is closed (the default\n"
    "                       when a display is present and nothing is executed)\n"
    "  --grab FILE          show the window, save a picture of it (PNG) and close it\n"
    "  --conditions JSON    a condition package handed over with SetConditions\n"
    "  --print-to-pdf FILE  direct prints go into this PDF file instead of a printer\n"
    "  --pages-json FILE    after each page generation, write the texts of every page\n"
    "                       as JSON (positions in tenths of a millimetre)\n"
    "  --layout-style NAME  the layout window of each run is created with this stored\n"
    "                       format style instead of the one the window has chosen\n"
    "  --dump-layout FILE   write the layout text of each run's layout window, with\n"
    "                       its style applied, into this file\n"
    "  --store-layout NAME  store the layout text of --layout-file (a whole layout or\n"
    "                       only its differences) as the format style NAME of the\n"
    "                       module's layout, replacing a style of that name; this\n"
    "                       runs before the report commands\n"
    "  --layout-file FILE   the layout text --store-layout stores\n"
    "  --execute KIND       a report command; may be repeated. The options after it:\n"
    "     5                   --preview true|false          print or preview\n"
    "     6                   --key TYPE,NUMBER,SETTING --preview true|false\n"
    "                                                       print or preview by key\n"
    "     11                  --key TYPE,NUMBER,SETTING --picture-kind 0..3 --prefix PATH\n"
    "                         [--dpi N]                     export pictures by key\n"
    "                         (kinds 0 BMP, 1 JPG, 2 GIF, 3 PDF; 96 dpi by default)\n"
    "  --params JSON        the parameter array of the execute before it, as it is\n"
    "%SEND%"
    "%EXPORT%"
    "JSON may be given as @FILE. Without a screen a preview shows no window: it\n"
    "generates the pages (and writes --pages-json); the window's messages go to the\n"
    "error stream.\n"
    "\n"
    "Exit status:\n"
    "  0  every call succeeded: the report commands printed, previewed or wrote pages\n"
    "  1  a call failed (the error stream says which and why), the module could not\n"
    "     be loaded or its window not opened, or the command line was wrong\n"
    "  2  nothing failed, but a report command found no slips to print (no data),\n"
    "     or --store-layout was refused (the error stream says why)\n";

constexpr int kMinDpi = 24;
constexpr int kMaxDpi = 1200;

[[noreturn]] void usageError(const QString &text)
{
    throw HostUsageError(text.toStdString());
}

kv::Variant jsonArgument(const QString &option, const QString &value)
{
    QByteArray text = value.toUtf8();
    if (value.startsWith('@')) {
        QFile file(value.mid(1));
        if (!file.open(QIODevice::ReadOnly))
            usageError("--" + option + ": cannot read " + value.mid(1));
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

// An output file the module writes: its folder must exist, and the module
// gets the absolute path (it does not know the host's working folder).
std::string outputFile(const QString &option, const QString &value)
{
    if (value.trimmed().isEmpty())
        usageError("--" + option + " needs a file name");
    const QFileInfo file(QDir::current().absoluteFilePath(value));
    if (file.isDir())
        usageError("--" + option + " " + value + ": that is a folder, not a file");
    if (!file.absoluteDir().exists())
        usageError("--" + option + " " + value + ": the folder " + file.absolutePath() + " does not exist");
    return file.absoluteFilePath().toStdString();
}

bool booleanValue(const QString &option, const QString &value)
{
    const QString text = value.trimmed().toLower();
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    usageError("--" + option + " " + value + ": give true or false");
}

int numberValue(const QString &option, const QString &value, int low, int high, const QString &meaning)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    if (!ok || number < low || number > high)
        usageError("--" + option + " " + value + ": give " + meaning);
    return number;
}

// TYPE,NUMBER,SETTING: the slip type, the slip number (empty: every slip of
// the type) and the slip type's print setting (may be empty).
kv::Variant slipKey(const QString &value)
{
    const QStringList parts = value.split(',');
    if (parts.size() != 3)
        usageError("--key " + value +
                   ": give TYPE,NUMBER,SETTING (three parts separated by commas; NUMBER and SETTING may be empty)");
    if (parts[0].trimmed().isEmpty())
        usageError("--key " + value + ": the slip type (before the first comma) must not be empty");
    return kv::varArrayOf({kv::Variant(parts[0].trimmed().toStdString()), kv::Variant(parts[1].trimmed().toStdString()),
                           kv::Variant(parts[2].trimmed().toStdString())});
}

// The picture files are named prefix + slip + page; the prefix's folder has
// to exist for the module to write them.
std::string picturePrefix(const QString &value)
{
    if (value.trimmed().isEmpty())
        usageError("--prefix needs a path");
    const QString absolute = QDir::current().absoluteFilePath(value);
    const QString folder = absolute.endsWith('/') ? absolute : QFileInfo(absolute).absolutePath();
    if (!QFileInfo(folder).isDir())
        usageError("--prefix " + value + ": the folder " + folder + " does not exist");
    return absolute.toStdString();
}

// The options of one --execute, collected in command-line order.
struct ExecuteDraft {
    int kind = 0;
    std::map<QString, QString> options; // option name → value
    std::optional<kv::Variant> params;

    QString label() const { return "--execute " + QString::number(kind); }

    bool has(const char *option) const { return options.count(option) != 0; }
    QString value(const char *option) const { return options.at(option); }
    void need(const char *option, const char *form) const
    {
        if (!has(option))
            usageError(label() + " needs --" + option + " " + form + " (or --params JSON)");
    }
};

// Which command options each kind takes.
const std::map<int, QStringList> &kindOptions()
{
    static const std::map<int, QStringList> options{{5, {"preview"}},
                                                    {6, {"preview", "key"}},
                                                    {11, {"key", "picture-kind", "prefix", "dpi"}}};
    return options;
}

kv::Variant buildParams(const ExecuteDraft &draft)
{
    switch (draft.kind) {
    case 5:
        draft.need("preview", "true|false");
        return kv::varArrayOf({kv::Variant(booleanValue("preview", draft.value("preview")))});
    case 6:
        draft.need("key", "TYPE,NUMBER,SETTING");
        draft.need("preview", "true|false");
        return kv::varArrayOf({kv::Variant(booleanValue("preview", draft.value("preview"))), slipKey(draft.value("key"))});
    default: {
        draft.need("key", "TYPE,NUMBER,SETTING");
        draft.need("picture-kind", "0..3");
        draft.need("prefix", "PATH");
        std::vector<kv::Variant> params{
            slipKey(draft.value("key")),
            kv::Variant(numberValue("picture-kind", draft.value("picture-kind"), 0, 3, "0 (BMP), 1 (JPG), 2 (GIF) or 3 (PDF)")),
            kv::Variant(picturePrefix(draft.value("prefix")))};
        if (draft.has("dpi"))
            params.emplace_back(numberValue("dpi", draft.value("dpi"), kMinDpi, kMaxDpi,
                                            QStringLiteral("a resolution from %1 to %2").arg(kMinDpi).arg(kMaxDpi)));
        return kv::varArrayOf(params);
    }
    }
}

ExecuteCommand finishCommand(const ExecuteDraft &draft)
{
    ExecuteCommand command;
    command.kind = draft.kind;
    if (draft.params) {
        if (!draft.options.empty())
            usageError(draft.label() + ": give either --params or --" + draft.options.begin()->first + ", not both");
        command.params = *draft.params;
        return command;
    }
    command.params = buildParams(draft);
    return command;
}

std::vector<ExecuteCommand> executeCommands(const QCommandLineParser &parser)
{
    // optionNames() keeps the order of the command line, so each option of a
    // command goes with the --execute written before it.
    static const QStringList commandOptions{"params", "preview", "key", "picture-kind", "prefix", "dpi"};
    std::map<QString, QStringList> values;
    std::map<QString, qsizetype> next;
    for (const QString &name : QStringList{"execute"} + commandOptions)
        values[name] = parser.values(name);

    std::vector<ExecuteDraft> drafts;
    for (const QString &name : parser.optionNames()) {
        if (name != "execute" && !commandOptions.contains(name))
            continue;
        const QString value = values[name][next[name]++];
        if (name == "execute") {
            bool ok = false;
            ExecuteDraft draft;
            draft.kind = value.trimmed().toInt(&ok);
            if (!ok || !kindOptions().count(draft.kind))
                usageError("--execute " + value +
                           ": the kinds are 5 (print or preview), 6 (by key) and 11 (export by key)");
            drafts.push_back(std::move(draft));
            continue;
        }
        if (drafts.empty())
            usageError("--" + name + " " + value + " has no --execute before it");
        ExecuteDraft &draft = drafts.back();
        if (name == "params") {
            if (draft.params)
                usageError("--params " + value + " has no --execute before it");
            draft.params = jsonArgument("params", value);
        } else if (!kindOptions().at(draft.kind).contains(name)) {
            usageError("--" + name + " does not belong to " + draft.label());
        } else if (!draft.options.emplace(name, value).second) {
            usageError("--" + name + " is given twice for one " + draft.label());
        }
    }

    std::vector<ExecuteCommand> commands;
    for (const ExecuteDraft &draft : drafts)
        commands.push_back(finishCommand(draft));
    return commands;
}

// --store-layout NAME --layout-file FILE: both or neither; the file must be
// there to be read.
void readStoreLayout(const QCommandLineParser &parser, const QCommandLineOption &name,
                     const QCommandLineOption &file, HostOptions &options)
{
    if (!parser.isSet(name) && !parser.isSet(file))
        return;
    if (!parser.isSet(file))
        usageError("--store-layout needs --layout-file FILE (the layout text to store)");
    if (!parser.isSet(name))
        usageError("--layout-file needs --store-layout NAME (the format style to store it as)");
    if (parser.value(name).trimmed().isEmpty())
        usageError("--store-layout needs a format style name");
    const QFileInfo text(QDir::current().absoluteFilePath(parser.value(file)));
    if (!text.isFile() || !text.isReadable())
        usageError("--layout-file " + parser.value(file) + ": no readable file");
    options.storeLayout = parser.value(name).trimmed().toStdString();
    options.layoutFile = text.absoluteFilePath().toStdString();
}

} // namespace

std::string hostUsage()
{
    // The send options describe themselves where "%SEND%" stands.
    std::string text = kUsage;
    text.replace(text.find("%SEND%"), 6, SendOptions::usage());
    text.replace(text.find("%EXPORT%"), 8, ExportOptions::usage());
    return text;
}

kv::Variant HostOptions::startupParams() const
{
    // The host's own window handle is 0: erp-host has no main window. The
    // host options element must be there; the windows keep it for later use.
    return kv::varArrayOf({kv::Variant(user), kv::Variant(company), kv::Variant(companyDb), kv::Variant(0),
                           kv::Variant("erp-host")});
}

std::vector<std::pair<std::string, std::string>> HostOptions::moduleEnvironment(bool headless) const
{
    std::vector<std::pair<std::string, std::string>> variables;
    if (!printToPdf.empty())
        variables.emplace_back("QIPR07_PRINT_PDF", printToPdf);
    if (!pagesJson.empty())
        variables.emplace_back("QIPR07_PAGES_JSON", pagesJson);
    if (headless)
        variables.emplace_back("QIPR07_HEADLESS", "1");
    if (layoutStyle)
        variables.emplace_back("QIPR07_LAYOUT_STYLE", *layoutStyle);
    if (!dumpLayout.empty())
        variables.emplace_back("QIPR07_DUMP_LAYOUT", dumpLayout);
    send.addEnvironment(variables);
    exportPdf.addEnvironment(variables);
    return variables;
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
    const QCommandLineOption grab("grab", "picture of the shown window", "FILE");
    const QCommandLineOption conditions("conditions", "condition package", "JSON");
    const QCommandLineOption printToPdf("print-to-pdf", "direct prints into a PDF file", "FILE");
    const QCommandLineOption pagesJson("pages-json", "page texts as JSON", "FILE");
    const QCommandLineOption layoutStyle("layout-style", "format style of the runs", "NAME");
    const QCommandLineOption dumpLayout("dump-layout", "layout text of the runs", "FILE");
    const QCommandLineOption storeLayout("store-layout", "store a format style", "NAME");
    const QCommandLineOption layoutFile("layout-file", "layout text to store", "FILE");
    const QCommandLineOption execute("execute", "report command", "KIND");
    const QCommandLineOption params("params", "parameters of the execute before", "JSON");
    const QCommandLineOption preview("preview", "preview (true) or print (false)", "BOOL");
    const QCommandLineOption key("key", "slip key", "TYPE,NUMBER,SETTING");
    const QCommandLineOption pictureKind("picture-kind", "picture kind", "KIND");
    const QCommandLineOption prefix("prefix", "picture file prefix", "PATH");
    const QCommandLineOption dpi("dpi", "picture resolution", "N");
    parser.addOptions({help, user, company, db, module, registry, show, grab, conditions, printToPdf, pagesJson,
                       layoutStyle, dumpLayout, storeLayout, layoutFile, execute, params, preview, key, pictureKind,
                       prefix, dpi});
    parser.addOptions(SendOptions::commandLineOptions());
    parser.addOptions(ExportOptions::commandLineOptions());
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
    if (parser.isSet(grab))
        options.grabFile = outputFile("grab", parser.value(grab));
    if (parser.isSet(printToPdf))
        options.printToPdf = outputFile("print-to-pdf", parser.value(printToPdf));
    if (parser.isSet(pagesJson))
        options.pagesJson = outputFile("pages-json", parser.value(pagesJson));
    if (parser.isSet(conditions))
        options.conditions = jsonArgument("conditions", parser.value(conditions));
    if (parser.isSet(layoutStyle))
        options.layoutStyle = parser.value(layoutStyle).toStdString();
    if (parser.isSet(dumpLayout))
        options.dumpLayout = outputFile("dump-layout", parser.value(dumpLayout));
    readStoreLayout(parser, storeLayout, layoutFile, options);
    options.executes = executeCommands(parser);
    options.send = SendOptions::read(parser);
    options.exportPdf = ExportOptions::read(parser);
    const bool work = !options.executes.empty() || !options.storeLayout.empty();
    options.show = parser.isSet(show) || parser.isSet(grab) || (!work && displayPresent);
    return options;
}

} // namespace erphost
