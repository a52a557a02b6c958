#include "objects/LayoutStore.h"

#include "db/Transaction.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"

#include <atomic>
#include <charconv>

namespace slip {

namespace {

const char *kKeyCondition = " WHERE NT001 = :CLASS AND NT002 = :NAME";

std::string today()
{
    return kv::Clock::today().toString("yyyyMMdd").toStdString();
}

} // namespace

SqlParams LayoutStore::keyParams(const std::string &className, const std::string &name)
{
    return {{"CLASS", className}, {"NAME", name}};
}

std::string LayoutStore::nextVersion(std::string_view stored)
{
    const std::string_view text = kv::trimBlanks(stored);
    int version = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), version);
    if (error != std::errc() || end != text.data() + text.size() || version < 0 || version >= 999)
        version = 0;
    return std::to_string(version + 1);
}

std::optional<StoredLayout> LayoutStore::find(const std::string &className, const std::string &name) const
{
    const kv::ResultTable rows =
        db().query("SELECT NT003, NT004 FROM " + table("WARRANT") + kKeyCondition, keyParams(className, name));
    if (rows.rowCount() == 0)
        return std::nullopt;
    return StoredLayout{std::string(rows.text(0, 0)), std::string(rows.text(0, 1))};
}

bool LayoutStore::isCurrent(const std::string &className, const std::string &name, const std::string &version) const
{
    const std::optional<StoredLayout> stored = find(className, name);
    return stored && stored->version == version;
}

void LayoutStore::checkKey(const LayoutWrite &layout) const
{
    if (kv::trimBlanks(layout.className).empty())
        throw StoreError("格式档缺少版面类别名称");
    requireFits("WARRANT", "NT001", layout.className, "版面类别名称");
    requireFits("WARRANT", "NT002", layout.name, "自定单据格式名称");
    requireFits("WARRANT", "COMPANY", layout.company, "公司代号");
    requireFits("WARRANT", "CREATOR", layout.user, "用户代号");
    requireFits("WARRANT", "USR_GROUP", layout.userGroup, "用户组");
}

void LayoutStore::insert(const LayoutWrite &layout)
{
    checkKey(layout);
    SqlParams params = keyParams(layout.className, layout.name);
    params.insert(params.end(), {{"COMPANY", layout.company},
                                 {"USR", layout.user},
                                 {"GRP", layout.userGroup},
                                 {"TODAY", today()},
                                 {"TEXT", layout.text},
                                 {"OPTIONS", layout.optionState},
                                 {"SIZE", sizeInKb(layout.text)}});
    Transaction transaction(db());
    if (find(layout.className, layout.name))
        throw StoreError("该格式档[" + layout.name + "]已经存在");
    db().execute("INSERT INTO " + table("WARRANT") +
                     " (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, FLAG, NT001, NT002, NT003, NT004, NT005, NT006)"
                     " VALUES (:COMPANY, :USR, :GRP, :TODAY, 1, :CLASS, :NAME, '1', :TEXT, :OPTIONS, :SIZE)",
                 params);
    transaction.commit();
}

void LayoutStore::update(const LayoutWrite &layout)
{
    checkKey(layout);
    Transaction transaction(db());
    const std::optional<StoredLayout> stored = find(layout.className, layout.name);
    if (!stored)
        throw StoreError("格式档[" + layout.name + "]不存在");
    if (nextVersion(stored->version) != layout.version)
        throw StoreError("格式档[" + layout.name + "]已被他人更新为版本" + stored->version +
                         "，请重新编辑保存！！");
    SqlParams params = keyParams(layout.className, layout.name);
    params.insert(params.end(), {{"USR", layout.user},
                                 {"TODAY", today()},
                                 {"OLD", stored->version},
                                 {"NEW", layout.version},
                                 {"TEXT", layout.text},
                                 {"OPTIONS", layout.optionState},
                                 {"SIZE", sizeInKb(layout.text)}});
    // The version test in the statement itself keeps the check and the
    // write one step on engines whose transactions let readers overlap.
    const std::int64_t updated =
        db().execute("UPDATE " + table("WARRANT") +
                         " SET NT003 = :NEW, NT004 = :TEXT, NT005 = :OPTIONS, NT006 = :SIZE,"
                         " MODIFIER = :USR, MODI_DATE = :TODAY, FLAG = FLAG + 1" +
                         kKeyCondition + " AND NT003 = :OLD",
                     params);
    if (updated != 1)
        throw StoreError("格式档[" + layout.name + "]已被他人更新，请重新编辑保存！！");
    transaction.commit();
}

LayoutLocks &LayoutLocks::shared()
{
    static LayoutLocks locks;
    return locks;
}

std::uint64_t LayoutLocks::newHolder()
{
    static std::atomic<std::uint64_t> next{0};
    return ++next;
}

bool LayoutLocks::acquire(const Key &key, std::uint64_t holder, Clock::time_point now)
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    const auto found = m_locks.find(key);
    if (found != m_locks.end() && found->second.holder != holder && now - found->second.taken < kLockLifetime)
        return false;
    m_locks[key] = Lock{holder, now};
    return true;
}

bool LayoutLocks::heldByOther(const Key &key, std::uint64_t holder, Clock::time_point now) const
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    const auto found = m_locks.find(key);
    return found != m_locks.end() && found->second.holder != holder && now - found->second.taken < kLockLifetime;
}

void LayoutLocks::release(const Key &key, std::uint64_t holder)
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    const auto found = m_locks.find(key);
    if (found != m_locks.end() && found->second.holder == holder)
        m_locks.erase(found);
}

void LayoutLocks::releaseAll(std::uint64_t holder)
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    for (auto lock = m_locks.begin(); lock != m_locks.end();) {
        if (lock->second.holder == holder)
            lock = m_locks.erase(lock);
        else
            ++lock;
    }
}

std::int64_t LayoutStore::remove(const std::string &className, const std::string &name)
{
    Transaction transaction(db());
    const std::int64_t removed =
        db().execute("DELETE FROM " + table("WARRANT") + kKeyCondition, keyParams(className, name));
    transaction.commit();
    return removed;
}

} // namespace slip
