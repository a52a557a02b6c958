#pragma once
// Stored layouts (format styles, table WARRANT): one row per layout window
// class and layout name, holding the layout text, the option state it was
// saved with and a version text that runs "1" … "999" and then "1" again.
//
// Saving an existing layout is an optimistic check on that version: the
// client reads version v, and its update must name the version that follows
// v; when another session saved in between, the stored version has moved on
// and the update is refused instead of overwriting that session's work.

#include "objects/CompanyStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace slip {

struct StoredLayout {
    std::string version;
    std::string text;
};

struct LayoutWrite {
    std::string company;
    std::string user;
    std::string userGroup;
    std::string className;
    std::string name;
    std::string version; // update: the version the save creates
    std::string optionState;
    std::string text;
};

class LayoutStore : public CompanyStore {
public:
    using CompanyStore::CompanyStore;

    std::optional<StoredLayout> find(const std::string &className, const std::string &name) const;
    // The lock before a save: the stored version is still the one read.
    bool isCurrent(const std::string &className, const std::string &name, const std::string &version) const;
    // StoreError when a layout of that name exists already.
    void insert(const LayoutWrite &layout);
    // StoreError when the layout is missing or its version is not the one
    // before layout.version (another session saved it meanwhile).
    void update(const LayoutWrite &layout);
    // Rows removed (0 or 1).
    std::int64_t remove(const std::string &className, const std::string &name);

    // The version a save of a layout stored with `stored` creates: the number
    // plus one, where a text that is no number counts as 0 and 999 as 0.
    static std::string nextVersion(std::string_view stored);
    // Size in whole KB, as stored with the layout.
    static std::int64_t sizeInKb(const std::string &text) { return std::int64_t(text.size() / 1024); }

private:
    void checkKey(const LayoutWrite &layout) const;
    static SqlParams keyParams(const std::string &className, const std::string &name);
};

} // namespace slip
