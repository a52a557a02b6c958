#pragma once
// The users' saved condition sets ("条件方案", table GENES): one row per
// user, program and set name, holding the list of saved controls and their
// values. Every change is one transaction, so a replace, a rename or a
// delete is never half done when two sessions of a user meet.

#include "objects/CompanyStore.h"
#include "platform/ResultTable.h"

#include <string>

namespace slip {

struct ConditionSet {
    std::string name;
    std::string user;
    std::string program;
    std::string date; // "YYYYMMDD"
    std::string specs;
    std::string values;
};

class ConditionSetStore : public CompanyStore {
public:
    using CompanyStore::CompanyStore;

    // The sets of a user and program: NCONDITION, CREATOR, PROGRAMME,
    // CREATE_DATE, SCONDITION, VCONDITION, by name.
    kv::ResultTable list(const std::string &user, const std::string &program) const;

    // Stores a set; an existing set of that name is replaced only when asked
    // to. StoreError for a refused save.
    void save(const ConditionSet &set, bool replace);
    // StoreError when the set does not exist or the new name is taken.
    void rename(const std::string &user, const std::string &program, const std::string &oldName,
                const std::string &newName);
    // StoreError when the set does not exist.
    void remove(const std::string &user, const std::string &program, const std::string &name);

private:
    bool exists(const std::string &user, const std::string &program, const std::string &name) const;
    static void checkName(const std::string &name);
    static void checkOwner(const std::string &user, const std::string &program);
    static void checkDate(const std::string &date);
};

} // namespace slip
