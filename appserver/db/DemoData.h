#pragma once
// A demo company database: masters, slip types of natures 54 and 55, issue
// slips with 0 to 40 lines, lots with their inspection remarks, work orders,
// suppliers with fax and e-mail, users with rights and data-permission
// rules, system settings, footers and sign-offs, workflow registration and
// sign-off history. Everything follows from the seed and the slip count, so
// the same options give the same rows. The program qipr07-demo-data, the
// tests and the benchmarks all make their data here.

#include "db/DemoRandom.h"

#include <QDate>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kv {
class Variant;
}

namespace slip {

class BulkInserter;
class Database;

struct DemoDataOptions {
    std::string companyDb = "DEMO"; // company database name
    std::string company = "01";     // company code
    int slips = 100;
    std::uint64_t seed = 1;
};

class DemoData {
public:
    DemoData(Database &db, DemoDataOptions options);

    // Creates the company database, which must not exist yet, and fills it
    // in one transaction. When anything fails the company database is
    // removed again. Returns the rows written per table.
    std::map<std::string, std::int64_t> generate();

    static constexpr int maxLinesPerSlip = 40;

private:
    struct User {
        std::string code, name, group;
    };
    struct Item {
        std::string code, name, spec, unit, warehouse, location, packUnit;
        double packSize = 1;
        bool engineering = false;
        std::vector<std::string> lots;
    };
    struct Material {
        std::size_t item;
        std::string process;
    };
    struct WorkOrder {
        std::string type, number;
        std::vector<Material> materials;
    };
    struct SlipType {
        std::string code, name, nature;
        int weight;
    };

    void fill();
    void writeCompany();
    void writeUsers();
    void writeSettings();
    void writeRights();
    void writeCodeTables();
    void writeSuppliers();
    void writeItems();
    void writeLots();
    void writeWorkOrders();
    void writeSlipTypes();
    void writeFooters();
    void writeWorkflowForms();
    void writeSlips();
    void writePhrasesAndCounters();

    struct SlipWriters;
    struct Slip;
    void writeSlip(SlipWriters &out, Slip &slip);
    void writeSlipLines(SlipWriters &out, Slip &slip);
    void writeSignOffs(SlipWriters &out, const Slip &slip);

    std::vector<std::string> withAudit(std::vector<std::string> columns) const;
    std::vector<kv::Variant> audit(const std::string &user, const std::string &date) const;
    const User &userOf(const std::string &code) const;
    void finish(BulkInserter &rows, const std::string &table);
    static std::string ymd(const QDate &date);

    Database &m_db;
    DemoDataOptions m_options;
    DemoRandom m_random;
    QDate m_start;
    std::string m_setupDate;
    std::vector<User> m_users;
    std::vector<std::string> m_suppliers;
    std::map<std::string, std::string> m_supplierNames;
    std::vector<Item> m_items;
    std::vector<WorkOrder> m_workOrders;
    std::vector<SlipType> m_slipTypes;
    std::map<std::string, std::int64_t> m_rows;
    std::map<std::string, int> m_lastNumber; // slips written per slip type
};

} // namespace slip
