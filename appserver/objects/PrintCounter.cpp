#include "objects/PrintCounter.h"

#include "db/Transaction.h"
#include "platform/TextUtil.h"
#include "schema/SchemaInfo.h"
#include "sql/SqlError.h"
#include "sql/SqlTokenizer.h"

#include <algorithm>
#include <cstddef>

namespace slip {

// condition := term { AND term }   (parentheses nested at most kMaxNesting deep)
// term      := "(" condition ")" | column "=" literal | literal "=" column
// column    := [table "."] name
class PrintCounter::FilterParser {
public:
    // A slip filter needs a level or two; the limit keeps a hostile filter
    // from exhausting the server's stack.
    static constexpr int kMaxNesting = 64;

    FilterParser(const std::string &table, const std::string &filter)
        : m_table(table), m_tokens(SqlTokenizer::tokenize(filter))
    {
    }

    std::vector<Term> parse()
    {
        if (peek().kind == SqlTokenKind::End)
            throw StoreError("打印次数的条件为空: 不能更新整个表" + m_table);
        condition();
        if (peek().kind != SqlTokenKind::End)
            fail("expected AND");
        return std::move(m_terms);
    }

private:
    const SqlToken &peek() const { return m_tokens[m_pos]; }
    const SqlToken &next() { return m_tokens[m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos]; }

    [[noreturn]] void fail(const std::string &what) const
    {
        const SqlToken &token = peek();
        throw StoreError("打印次数的条件无法接受 (" + what + ", 位置 " + std::to_string(token.position + 1) +
                         ": " + (token.kind == SqlTokenKind::End ? "结尾" : token.display()) + ")");
    }

    void condition()
    {
        term();
        while (peek().isKeyword("AND")) {
            next();
            term();
        }
    }

    void term()
    {
        if (peek().isSymbol("(")) {
            if (++m_nesting > kMaxNesting)
                fail("nested too deeply");
            next();
            condition();
            --m_nesting;
            if (!peek().isSymbol(")"))
                fail("expected )");
            next();
            return;
        }
        if (isLiteral(peek())) {
            const SqlToken literal = next();
            equals();
            add(column(), literal);
        } else {
            std::string name = column();
            equals();
            if (!isLiteral(peek()))
                fail("expected a text or number");
            add(std::move(name), next());
        }
    }

    static bool isLiteral(const SqlToken &token)
    {
        return token.kind == SqlTokenKind::String || token.kind == SqlTokenKind::Number;
    }

    void equals()
    {
        if (!peek().isSymbol("="))
            fail("expected =");
        next();
    }

    std::string column()
    {
        if (peek().kind != SqlTokenKind::Word && peek().kind != SqlTokenKind::QuotedName)
            fail("expected a column");
        std::string name = next().text;
        if (peek().isSymbol(".")) {
            if (!sameName(name, m_table))
                fail("another table");
            next();
            if (peek().kind != SqlTokenKind::Word && peek().kind != SqlTokenKind::QuotedName)
                fail("expected a column");
            name = next().text;
        }
        if (!SchemaInfo::company().hasColumn(m_table, name))
            throw StoreError("表" + m_table + "没有栏位" + name);
        return name;
    }

    void add(std::string name, const SqlToken &literal)
    {
        m_terms.push_back({std::move(name), literal.text, literal.kind == SqlTokenKind::Number});
    }

    static bool sameName(const std::string &a, const std::string &b) { return kv::upperAscii(a) == kv::upperAscii(b); }

    std::string m_table;
    std::vector<SqlToken> m_tokens;
    std::size_t m_pos = 0;
    int m_nesting = 0;
    std::vector<Term> m_terms;
};

std::vector<PrintCounter::Term> PrintCounter::parseFilter(const std::string &table, const std::string &filter)
{
    try {
        return FilterParser(table, filter).parse();
    } catch (const SqlError &error) {
        throw StoreError(std::string("打印次数的条件无法接受: ") + error.what());
    }
}

std::string PrintCounter::tableNamed(const std::string &text) const
{
    std::string name(kv::trimBlanks(text));
    if (name.rfind("$$", 0) == 0) {
        name.erase(0, 2);
    } else if (const std::size_t dots = name.find(".."); dots != std::string::npos) {
        if (kv::upperAscii(name.substr(0, dots)) != kv::upperAscii(companyDb()))
            throw StoreError("不能更新其他数据库的表: " + text);
        name.erase(0, dots + 2);
    }
    if (!SchemaInfo::company().hasTable(name))
        throw StoreError("没有这个表: " + text);
    return name;
}

PrintCounter::Update PrintCounter::prepare(const std::string &tableText, const std::string &column,
                                           const std::string &filter) const
{
    Update update;
    update.table = tableNamed(tableText);
    const ColumnDef *count = SchemaInfo::company().column(update.table, column);
    if (!count || (count->type != ColumnType::Integer && count->type != ColumnType::Numeric))
        throw StoreError("表" + update.table + "没有数字栏位" + column);
    update.column = count->name;
    update.terms = parseFilter(update.table, filter);
    for (const Term &term : update.terms) {
        const std::string param = "F" + std::to_string(update.params.size() + 1);
        update.where += (update.where.empty() ? " WHERE " : " AND ") + term.column + " = :" + param;
        const bool numericColumn = !SchemaInfo::company().isTextColumn(update.table, term.column);
        if (numericColumn && term.number)
            update.params.push_back({param, kv::Variant(term.value).toDouble()});
        else
            update.params.push_back({param, term.value});
    }
    return update;
}

std::int64_t PrintCounter::addOne(const std::string &tableText, const std::string &column, const std::string &filter)
{
    const Update update = prepare(tableText, column, filter);
    return db().execute("UPDATE " + table(update.table) + " SET " + update.column + " = " + update.column + " + 1" +
                            update.where,
                        update.params);
}

std::pair<std::string, std::string> PrintCounter::slipKey(const std::string &tableName, const std::vector<Term> &terms)
{
    std::pair<std::string, std::string> key;
    const TableDef *def = SchemaInfo::company().table(tableName);
    if (!def)
        return key;
    for (const ColumnDef &column : def->columns) {
        if (column.keyPosition != 1 && column.keyPosition != 2)
            continue;
        for (const Term &term : terms) {
            if (kv::upperAscii(term.column) == kv::upperAscii(column.name))
                (column.keyPosition == 1 ? key.first : key.second) = term.value;
        }
    }
    return key;
}

std::int64_t PrintCounter::record(const std::string &tableText, const std::string &column, const std::string &filter,
                                  const LedgerClerk &clerk, const LedgerOutput &given, bool raise)
{
    const Update update = prepare(tableText, column, filter);
    const LedgerOutput output = PrintLedger::checked(given);
    const auto [keyPart1, keyPart2] = slipKey(update.table, update.terms);
    Transaction transaction(db());
    std::int64_t changed = 0;
    if (raise && output.success)
        changed = db().execute("UPDATE " + table(update.table) + " SET " + update.column + " = " + update.column +
                                   " + 1" + update.where,
                               update.params);
    // One row per slip the filter names, with the count it has now; a slip
    // filter names one, and a filter that names none still leaves its row.
    const kv::ResultTable counts =
        db().query("SELECT " + update.column + " FROM " + table(update.table) + update.where, update.params);
    PrintLedger ledger(db(), companyDb());
    const int rows = std::max(1, counts.rowCount());
    for (int row = 0; row < rows; ++row) {
        LedgerRow entry{update.table, keyPart1, keyPart2, update.column, 0, output};
        if (output.success && row < counts.rowCount() && !counts.isNull(row, 0))
            entry.countAfter = std::int64_t(counts.number(row, 0));
        ledger.append(clerk, entry);
    }
    transaction.commit();
    return changed;
}

} // namespace slip
