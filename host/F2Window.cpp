#include "F2Window.h"

#include "CalendarDialog.h"
#include "LookupDialog.h"

#include "platform/Prompter.h"

#include <QDialog>

namespace erphost {

namespace {

// An element of a 1-D array counted from its low bound; unassigned when the
// array is shorter.
kv::Variant elementOf(const kv::Variant &value, int index)
{
    const kv::Variant &v = value.deref();
    if (!v.isArray() || v.array().dimCount() != 1)
        return index == 0 ? v : kv::Variant();
    const kv::VariantArray &array = v.array();
    const int at = array.lowBound() + index;
    return at <= array.highBound() ? array.at(at) : kv::Variant();
}

} // namespace

F2Window::F2Window(std::function<kv::DispatchPtr()> lookupData)
    : DispatchObject("QRM.F2Window"), m_makeData(std::move(lookupData))
{
    addMethod("F2GetData", 1, 1, [this](std::vector<kv::Variant> &args) { return lookup(args[0]); });
    addMethod("ShowInputDay", 1, 1, [this](std::vector<kv::Variant> &args) { return kv::Variant(pickDay(args[0])); });
    addMethod("GetPhrase", 2, 3, [this](std::vector<kv::Variant> &args) {
        return kv::Variant(pickPhrase(args[0], args[1]));
    });
}

kv::DispatchPtr F2Window::data()
{
    if (!m_data)
        m_data = m_makeData();
    return m_data;
}

kv::Variant F2Window::lookup(const kv::Variant &request)
{
    const kv::Variant &req = request.deref();
    if (!req.isArray() || req.array().dimCount() != 1)
        throw kv::DispatchError("F2GetData: the lookup request is not a variant array");
    const kv::Variant reply = data()->call("F2GetData", {req});
    if (!LookupDialog::isLookupReply(reply))
        return {}; // the data object found nothing it could answer
    kv::DispatchPtr source = data();
    auto searcher = [source, req](const std::string &text) {
        kv::Variant narrowed = req;
        kv::VariantArray &array = narrowed.array();
        if (array.lowBound() + kSearchElement <= array.highBound())
            array.at(array.lowBound() + kSearchElement) = kv::Variant(text);
        return source->call("F2GetData", {narrowed});
    };
    return pickRow(reply, searcher, kv::varToStr(elementOf(req, kSearchElement)));
}

kv::Variant F2Window::pickRow(const kv::Variant &reply,
                              const std::function<kv::Variant(const std::string &)> &searcher,
                              const std::string &searchText)
{
    LookupDialog dialog(reply, searcher, searchText);
    if (kv::Prompter::current()->showWindowModal(dialog) != QDialog::Accepted)
        return {};
    return dialog.pickedRow();
}

std::string F2Window::pickDay(const kv::Variant &args)
{
    bool minguo = false;
    const kv::Variant flag = elementOf(args, 0);
    if (!flag.isEmptyOrNull())
        minguo = flag.toBool();
    CalendarDialog dialog(CalendarDialog::parseStored(kv::varToStr(elementOf(args, 1))), minguo);
    if (kv::Prompter::current()->showWindowModal(dialog) != QDialog::Accepted)
        return {};
    return dialog.pickedText();
}

std::string F2Window::pickPhrase(const kv::Variant &userId, const kv::Variant &companyDb)
{
    const kv::Variant reply = data()->call("GetPhrase", {userId.deref(), companyDb.deref()});
    if (!LookupDialog::isLookupReply(reply))
        return {};
    // Phrases are few and all at hand: search them here.
    const kv::Variant row = pickRow(reply, LookupDialog::localSearcher(reply), {});
    return row.isEmpty() ? std::string() : kv::varToStr(elementOf(row, 1));
}

} // namespace erphost
