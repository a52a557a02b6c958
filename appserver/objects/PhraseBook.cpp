#include "objects/PhraseBook.h"

namespace slip {

namespace {

HostDataQuery buildQuery()
{
    HostDataQuery query;
    query.table = "HOST_PHRASE";
    query.key = "01";
    query.title = "常用短语";
    query.columns = {{"PHRASE_NO", "编号"}, {"PHRASE_TEXT", "短语"}, {"USER_ID", "用户"}};
    query.bindings = {{"USER_ID", HostDataQuery::Match::OrBlank}};
    // A blank owner sorts first ascending, so descending puts the user's own first.
    query.orderBy = {"USER_ID DESC", "PHRASE_NO"};
    query.manyRows = true;
    return query;
}

} // namespace

const HostDataQuery &PhraseBook::query()
{
    static const HostDataQuery phrases = buildQuery();
    return phrases;
}

} // namespace slip
