#pragma once
// The counter object the host hands out as Com_Counter: the company's system
// settings and named counters.
//
// GetSysInfo (company code) answers a two-dimensional array with [0, i] the
// name and [1, i] the value of setting i (ordered by name; i from 0), or
// unassigned on a failure.
//
// GetCounter (name, value, [company code, company database]) advances the
// counter of that name (upper case; a new name starts from 0) and answers
// its new value as an integer, also written into value. A positive whole
// number in value advances by that step (a block of numbers, the answer is
// the last); empty, null or 0 mean 1. The increment is one transaction, so
// callers on several connections never get the same number. A failure
// answers unassigned and leaves value as it was.

#include "objects/HostDataObject.h"

#include <cstdint>

namespace slip {

class CounterServer : public HostDataObject {
public:
    static constexpr const char *progId = "QRM.Counter";

    explicit CounterServer(std::shared_ptr<Database> database, std::string companyDb = {});

    kv::Variant systemSettings();
    std::int64_t nextValue(const std::string &name, std::int64_t step);

private:
    kv::Variant getCounter(std::vector<kv::Variant> &args);
    std::int64_t advance(const std::string &name, std::int64_t step);
    static std::int64_t stepOf(const kv::Variant &value);
};

} // namespace slip
