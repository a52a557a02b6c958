#pragma once
// Stored layouts (format styles, table WARRANT): one row per layout window
// class and layout name, holding the layout text, the option state it was
// saved with and a version text that runs "1" … "999" and then "1" again.
//
// Saving an existing layout is an optimistic check on that version: the
// client reads version v, and its update must name the version that follows
// v; when another session saved in between, the stored version has moved on
// and the update is refused instead of overwriting that session's work.
//
// Before it writes, a client locks the layout (LayoutLocks): the lock is
// granted to one session at a time, while the version it read is still the
// stored one, so that of two designers saving the same layout the second is
// told so before it writes anything. The locks live in the server process;
// the version check of the update still guards sessions of other processes.

#include "objects/CompanyStore.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

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

    // The namespace the store's table lives in, part of a lock's key.
    std::string lockScope() const { return table("WARRANT"); }

private:
    void checkKey(const LayoutWrite &layout) const;
    static SqlParams keyParams(const std::string &className, const std::string &name);
};

// The save locks of stored layouts held by the sessions of this process,
// for the database each belongs to. A lock that its session neither used
// nor gave back within kLockLifetime (a client that went away between lock
// and write) no longer counts.
class LayoutLocks {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kLockLifetime{120};

    struct Key {
        const Database *database = nullptr;
        std::string scope; // the table's namespace
        std::string className;
        std::string name;
        bool operator<(const Key &other) const
        {
            return std::tie(database, scope, className, name) <
                   std::tie(other.database, other.scope, other.className, other.name);
        }
    };

    static LayoutLocks &shared();
    // A number no other session of the process holds.
    static std::uint64_t newHolder();

    // True when holder has the lock now (taken, or held already).
    bool acquire(const Key &key, std::uint64_t holder, Clock::time_point now = Clock::now());
    // Another session holds a lock that still counts.
    bool heldByOther(const Key &key, std::uint64_t holder, Clock::time_point now = Clock::now()) const;
    void release(const Key &key, std::uint64_t holder);
    // Every lock of holder (its session ends).
    void releaseAll(std::uint64_t holder);

private:
    struct Lock {
        std::uint64_t holder = 0;
        Clock::time_point taken;
    };
    mutable std::mutex m_mutex;
    std::map<Key, Lock> m_locks;
};

} // namespace slip
