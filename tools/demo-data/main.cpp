// qipr07-demo-data: creates a demo company database.
//
//   qipr07-demo-data (--sqlite FILE | --postgres CONNINFO) [--company CODE]
//                    [--db NAME] [--slips N] [--seed S] [--replace]

#include "db/Database.h"
#include "db/DatabaseError.h"
#include "db/DemoData.h"
#include "db/SqliteDatabase.h"
#include "objects/MessageCatalog.h"

#include <QCoreApplication>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

const char *const usage =
    "usage: qipr07-demo-data (--sqlite FILE | --postgres CONNINFO) [options]\n"
    "  --sqlite FILE        company database file to create\n"
    "  --postgres CONNINFO  PostgreSQL server (\"host=... port=... dbname=... user=... password=...\");\n"
    "                       the company database becomes a schema there\n"
    "  --company CODE       company code (default 01)\n"
    "  --db NAME            company database name (default DEMO)\n"
    "  --slips N            number of issue slips, each with 0 to 40 lines (default 100)\n"
    "  --seed S             seed; the same options give the same data (default 1)\n"
    "  --replace            replace an existing company database\n";

struct Options {
    std::optional<std::string> sqliteFile;
    std::optional<std::string> conninfo;
    slip::DemoDataOptions demo;
    bool replace = false;
};

template <typename Number>
Number parseNumber(const std::string &option, const std::string &text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument(option + " needs a whole number, not \"" + text + "\"");
    return value;
}

Options parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--replace") {
            options.replace = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            std::cout << usage;
            std::exit(0);
        }
        if (i + 1 >= argc)
            throw std::invalid_argument("unknown option or missing value: " + option);
        const std::string value = argv[++i];
        if (option == "--sqlite")
            options.sqliteFile = value;
        else if (option == "--postgres")
            options.conninfo = value;
        else if (option == "--company")
            options.demo.company = value;
        else if (option == "--db")
            options.demo.companyDb = value;
        else if (option == "--slips")
            options.demo.slips = parseNumber<int>(option, value);
        else if (option == "--seed")
            options.demo.seed = parseNumber<std::uint64_t>(option, value);
        else
            throw std::invalid_argument("unknown option: " + option);
    }
    if (options.sqliteFile.has_value() == options.conninfo.has_value())
        throw std::invalid_argument("give exactly one of --sqlite and --postgres");
    if (options.demo.slips < 0)
        throw std::invalid_argument("--slips must not be negative");
    return options;
}

std::unique_ptr<slip::Database> openDatabase(const Options &options)
{
    if (options.conninfo)
        return slip::Database::openPostgres(*options.conninfo, 1);
    const std::filesystem::path file = std::filesystem::absolute(*options.sqliteFile);
    auto db = std::make_unique<slip::SqliteDatabase>(file.parent_path());
    db->mapCompanyFile(options.demo.companyDb, file);
    return db;
}

int run(const Options &options)
{
    const auto started = std::chrono::steady_clock::now();
    std::unique_ptr<slip::Database> db = openDatabase(options);
    if (db->companyExists(options.demo.companyDb)) {
        if (!options.replace)
            throw slip::DatabaseError("company database " + options.demo.companyDb
                                      + " exists already (--replace replaces it)");
        db->dropCompany(options.demo.companyDb);
    }
    slip::DemoData demo(*db, options.demo);
    auto rows = demo.generate();
    // The message texts the windows report are company data too.
    rows["HOST_MESSAGE"] += slip::MessageCatalog::seed(*db, options.demo.companyDb);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::int64_t total = 0;
    for (const auto &[table, count] : rows) {
        std::printf("%-16s %10lld\n", table.c_str(), static_cast<long long>(count));
        total += count;
    }
    std::printf("%lld rows in %.2f s\n", static_cast<long long>(total), seconds);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        return run(parseOptions(argc, argv));
    } catch (const std::invalid_argument &error) {
        std::cerr << "qipr07-demo-data: " << error.what() << "\n" << usage;
        return 2;
    } catch (const std::exception &error) {
        std::cerr << "qipr07-demo-data: " << error.what() << "\n";
        return 1;
    }
}
