#pragma once

#include "db/Database.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace slip {

class SqliteDatabase : public Database {
public:
    explicit SqliteDatabase(const std::filesystem::path &directory);
    ~SqliteDatabase() override;

    // Keeps the company database in `file` instead of <directory>/<name>.db.
    // Takes effect for the next openCompany of that name.
    void mapCompanyFile(const std::string &companyDb, const std::filesystem::path &file);
    std::filesystem::path companyFile(const std::string &companyDb) const;

protected:
    void prepareConnection(ConnectionPool::Slot &slot) override;
    bool storageExists(const std::string &companyDb) override;
    void attachStorage(const std::string &companyDb) override;
    void removeStorage(const std::string &companyDb) override;
    std::vector<std::string> existingTables(const std::string &companyDb) override;
    std::string beginStatement() const override;
    std::unique_ptr<RowSource> openRows(std::string_view sql, const SqlParams &params) override;

private:
    struct Company {
        std::string name;
        std::filesystem::path file;
    };
    static void openConnection(const QString &name);
    void syncAttachments(ConnectionPool::Slot &slot);

    const std::filesystem::path m_directory;
    mutable std::mutex m_mutex;
    std::map<std::string, std::filesystem::path> m_fileMap; // upper-case name -> file
    std::map<std::string, Company> m_companies;             // upper-case name -> attached company
    unsigned m_generation = 1;
};

} // namespace slip
