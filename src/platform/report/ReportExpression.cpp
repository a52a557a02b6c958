#include "platform/report/ReportExpression.h"

#include "platform/report/FieldLink.h"
#include "platform/report/NumberMask.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"

#include <QStringList>

#include <cmath>
#include <functional>
#include <vector>

namespace kv {

// ---------------------------------------------------------------- values

namespace {

bool isNumber(const Variant &value)
{
    return value.deref().isNumeric() && value.deref().type() != VarType::Bool;
}

double numberOf(const Variant &value, const char *what)
{
    try {
        return value.deref().isEmptyOrNull() ? 0.0 : value.deref().toDouble();
    } catch (const VariantError &) {
        throw ReportError(std::string(what) + ": '" + varToStr(value) + "' is not a number");
    }
}

bool truthOf(const Variant &value)
{
    const Variant &v = value.deref();
    if (v.isEmptyOrNull())
        return false;
    if (v.type() == VarType::Bool)
        return v.toBool();
    if (isNumber(v))
        return v.toDouble() != 0;
    const std::string text = v.toText();
    return text == "1" || QString::fromStdString(text).compare("true", Qt::CaseInsensitive) == 0;
}

bool bothIntegers(const Variant &a, const Variant &b)
{
    const auto integral = [](const Variant &v) {
        return v.deref().type() == VarType::Int32 || v.deref().type() == VarType::Int64;
    };
    return integral(a) && integral(b);
}

int compareValues(const Variant &a, const Variant &b)
{
    if (isNumber(a) && isNumber(b)) {
        const double x = a.deref().toDouble();
        const double y = b.deref().toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const int order = varToStr(a).compare(varToStr(b));
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

} // namespace

// ---------------------------------------------------------------- nodes

class ReportExpression::Node {
public:
    virtual ~Node() = default;
    virtual Variant eval() const = 0;
};

namespace {

using Node = ReportExpression::Node;
using NodePtr = std::unique_ptr<Node>;

class ConstantNode : public Node {
public:
    explicit ConstantNode(Variant value) : m_value(std::move(value)) {}
    Variant eval() const override { return m_value; }

private:
    Variant m_value;
};

class FieldNode : public Node {
public:
    FieldNode(ClientDataSet *dataSet, const std::string &name, QString expression) : m_expression(std::move(expression))
    {
        m_link.bind(dataSet, name);
    }
    Variant eval() const override { return m_link.requireField(m_expression).AsVariant(); }

private:
    FieldLink m_link;
    QString m_expression;
};

class UnaryNode : public Node {
public:
    UnaryNode(bool negate, NodePtr operand) : m_negate(negate), m_operand(std::move(operand)) {}
    Variant eval() const override
    {
        const Variant value = m_operand->eval();
        if (!m_negate)
            return Variant(!truthOf(value));
        if (value.deref().type() == VarType::Int32 || value.deref().type() == VarType::Int64)
            return Variant(-value.deref().toInt64());
        return Variant(-numberOf(value, "minus"));
    }

private:
    bool m_negate;
    NodePtr m_operand;
};

enum class Op { Or, And, Eq, Ne, Lt, Gt, Le, Ge, Add, Sub, Mul, Div };

class BinaryNode : public Node {
public:
    BinaryNode(Op op, NodePtr left, NodePtr right) : m_op(op), m_left(std::move(left)), m_right(std::move(right)) {}
    Variant eval() const override
    {
        if (m_op == Op::Or)
            return Variant(truthOf(m_left->eval()) || truthOf(m_right->eval()));
        if (m_op == Op::And)
            return Variant(truthOf(m_left->eval()) && truthOf(m_right->eval()));
        const Variant a = m_left->eval();
        const Variant b = m_right->eval();
        switch (m_op) {
        case Op::Eq: return Variant(compareValues(a, b) == 0);
        case Op::Ne: return Variant(compareValues(a, b) != 0);
        case Op::Lt: return Variant(compareValues(a, b) < 0);
        case Op::Gt: return Variant(compareValues(a, b) > 0);
        case Op::Le: return Variant(compareValues(a, b) <= 0);
        case Op::Ge: return Variant(compareValues(a, b) >= 0);
        case Op::Add:
            if (!isNumber(a) || !isNumber(b))
                return Variant(varToStr(a) + varToStr(b));
            return arithmetic(a, b);
        default:
            return arithmetic(a, b);
        }
    }

private:
    Variant arithmetic(const Variant &a, const Variant &b) const
    {
        if (m_op != Op::Div && bothIntegers(a, b)) {
            const std::int64_t x = a.deref().toInt64();
            const std::int64_t y = b.deref().toInt64();
            return Variant(m_op == Op::Add ? x + y : m_op == Op::Sub ? x - y : x * y);
        }
        const double x = numberOf(a, "arithmetic");
        const double y = numberOf(b, "arithmetic");
        if (m_op == Op::Div && y == 0)
            throw ReportError("division by zero");
        return Variant(m_op == Op::Add ? x + y : m_op == Op::Sub ? x - y : m_op == Op::Mul ? x * y : x / y);
    }

    Op m_op;
    NodePtr m_left;
    NodePtr m_right;
};

using Builtin = std::function<Variant(const std::vector<Variant> &)>;

class CallNode : public Node {
public:
    CallNode(Builtin function, std::vector<NodePtr> args) : m_function(std::move(function)), m_args(std::move(args))
    {
    }
    Variant eval() const override
    {
        std::vector<Variant> values;
        values.reserve(m_args.size());
        for (const NodePtr &arg : m_args)
            values.push_back(arg->eval());
        return m_function(values);
    }

private:
    Builtin m_function;
    std::vector<NodePtr> m_args;
};

// ---------------------------------------------------------------- tokens

enum class Tok { End, Number, String, Name, Op, LParen, RParen, Comma, Dot };

struct Token {
    Tok kind = Tok::End;
    QString text;
    int position = 0;
};

class Lexer {
public:
    explicit Lexer(const QString &text) : m_text(text) { advance(); }
    const Token &current() const { return m_token; }
    Token take()
    {
        Token token = m_token;
        advance();
        return token;
    }

private:
    void advance()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
        m_token = {Tok::End, {}, m_pos + 1};
        if (m_pos >= m_text.size())
            return;
        const QChar c = m_text[m_pos];
        if (c.isDigit())
            return number();
        if (c == '\'' || c == '"')
            return string(c);
        if (c.isLetter() || c == '_')
            return name();
        static const QStringList twoChar = {"<>", "<=", ">="};
        const QString pair = m_text.mid(m_pos, 2);
        if (twoChar.contains(pair))
            return symbol(Tok::Op, 2);
        switch (c.unicode()) {
        case '(': return symbol(Tok::LParen, 1);
        case ')': return symbol(Tok::RParen, 1);
        case ',': return symbol(Tok::Comma, 1);
        case '.': return symbol(Tok::Dot, 1);
        case '+': case '-': case '*': case '/': case '=': case '<': case '>': return symbol(Tok::Op, 1);
        default:
            throw ReportError("unexpected character '" + QString(c).toStdString() + "' at position " +
                              std::to_string(m_pos + 1));
        }
    }
    void symbol(Tok kind, int length)
    {
        m_token.kind = kind;
        m_token.text = m_text.mid(m_pos, length);
        m_pos += length;
    }
    void number()
    {
        const int start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit())
            ++m_pos;
        if (m_pos + 1 < m_text.size() && m_text[m_pos] == '.' && m_text[m_pos + 1].isDigit()) {
            ++m_pos;
            while (m_pos < m_text.size() && m_text[m_pos].isDigit())
                ++m_pos;
        }
        m_token.kind = Tok::Number;
        m_token.text = m_text.mid(start, m_pos - start);
    }
    void string(QChar quote)
    {
        ++m_pos;
        QString value;
        while (true) {
            if (m_pos >= m_text.size())
                throw ReportError("text not closed, starting at position " + std::to_string(m_token.position));
            if (m_text[m_pos] == quote) {
                // A doubled quote stands for the quote itself.
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == quote) {
                    value += quote;
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
            value += m_text[m_pos++];
        }
        m_token.kind = Tok::String;
        m_token.text = value;
    }
    void name()
    {
        const int start = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == '_'))
            ++m_pos;
        m_token.kind = Tok::Name;
        m_token.text = m_text.mid(start, m_pos - start);
    }

    const QString &m_text;
    int m_pos = 0;
    Token m_token;
};

// ---------------------------------------------------------------- parser

Variant textVariant(const QString &text)
{
    return Variant(text.toStdString());
}

QString argText(const Variant &value)
{
    return QString::fromStdString(varToStr(value));
}

class Parser {
public:
    Parser(const QString &text, const Report *report, QStringList calling)
        : m_text(text), m_lexer(text), m_report(report), m_calling(std::move(calling))
    {
    }

    NodePtr parseAll()
    {
        NodePtr root = parseOr();
        if (m_lexer.current().kind != Tok::End)
            fail("unexpected '" + m_lexer.current().text + "'");
        return root;
    }

private:
    [[noreturn]] void fail(const QString &message) const
    {
        throw ReportError("Expression \"" + m_text.toStdString() + "\": " + message.toStdString() +
                          " at position " + std::to_string(m_lexer.current().position));
    }
    bool isKeyword(const char *word) const
    {
        return m_lexer.current().kind == Tok::Name &&
               m_lexer.current().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isOp(const char *op) const
    {
        return m_lexer.current().kind == Tok::Op && m_lexer.current().text == QLatin1String(op);
    }
    void expect(Tok kind, const char *what)
    {
        if (m_lexer.current().kind != kind)
            fail(QStringLiteral("%1 expected").arg(QLatin1String(what)));
        m_lexer.take();
    }

    NodePtr parseOr()
    {
        NodePtr left = parseAnd();
        while (isKeyword("OR")) {
            m_lexer.take();
            left = std::make_unique<BinaryNode>(Op::Or, std::move(left), parseAnd());
        }
        return left;
    }
    NodePtr parseAnd()
    {
        NodePtr left = parseNot();
        while (isKeyword("AND")) {
            m_lexer.take();
            left = std::make_unique<BinaryNode>(Op::And, std::move(left), parseNot());
        }
        return left;
    }
    NodePtr parseNot()
    {
        if (isKeyword("NOT")) {
            m_lexer.take();
            return std::make_unique<UnaryNode>(false, parseNot());
        }
        return parseComparison();
    }
    NodePtr parseComparison()
    {
        NodePtr left = parseSum();
        static const std::vector<std::pair<const char *, Op>> ops = {
            {"=", Op::Eq}, {"<>", Op::Ne}, {"<", Op::Lt}, {">", Op::Gt}, {"<=", Op::Le}, {">=", Op::Ge}};
        for (const auto &[text, op] : ops) {
            if (isOp(text)) {
                m_lexer.take();
                return std::make_unique<BinaryNode>(op, std::move(left), parseSum());
            }
        }
        return left;
    }
    NodePtr parseSum()
    {
        NodePtr left = parseProduct();
        while (isOp("+") || isOp("-")) {
            const Op op = m_lexer.take().text == "+" ? Op::Add : Op::Sub;
            left = std::make_unique<BinaryNode>(op, std::move(left), parseProduct());
        }
        return left;
    }
    NodePtr parseProduct()
    {
        NodePtr left = parseUnary();
        while (isOp("*") || isOp("/")) {
            const Op op = m_lexer.take().text == "*" ? Op::Mul : Op::Div;
            left = std::make_unique<BinaryNode>(op, std::move(left), parseUnary());
        }
        return left;
    }
    NodePtr parseUnary()
    {
        if (isOp("-")) {
            m_lexer.take();
            return std::make_unique<UnaryNode>(true, parseUnary());
        }
        if (isOp("+")) {
            m_lexer.take();
            return parseUnary();
        }
        return parsePrimary();
    }
    NodePtr parsePrimary()
    {
        const Token token = m_lexer.current();
        switch (token.kind) {
        case Tok::Number: {
            m_lexer.take();
            if (!token.text.contains('.')) {
                bool ok = false;
                const qlonglong integer = token.text.toLongLong(&ok);
                if (ok)
                    return std::make_unique<ConstantNode>(Variant(std::int64_t(integer)));
            }
            return std::make_unique<ConstantNode>(Variant(token.text.toDouble()));
        }
        case Tok::String:
            m_lexer.take();
            return std::make_unique<ConstantNode>(textVariant(token.text));
        case Tok::LParen: {
            m_lexer.take();
            NodePtr inner = parseOr();
            expect(Tok::RParen, "')'");
            return inner;
        }
        case Tok::Name:
            return parseName();
        default:
            fail(token.kind == Tok::End ? QStringLiteral("operand missing")
                                        : QStringLiteral("unexpected '%1'").arg(token.text));
        }
    }

    NodePtr parseName()
    {
        const Token name = m_lexer.take();
        if (m_lexer.current().kind == Tok::Dot) {
            m_lexer.take();
            if (m_lexer.current().kind != Tok::Name)
                fail(QStringLiteral("field name expected"));
            const Token field = m_lexer.take();
            return fieldNode(findDataSet(name.text), field.text);
        }
        const QString upper = name.text.toUpper();
        if (upper == "TRUE" || upper == "FALSE")
            return std::make_unique<ConstantNode>(Variant(upper == "TRUE"));
        std::vector<NodePtr> args;
        const bool call = m_lexer.current().kind == Tok::LParen;
        if (call) {
            m_lexer.take();
            if (m_lexer.current().kind != Tok::RParen) {
                args.push_back(parseOr());
                while (m_lexer.current().kind == Tok::Comma) {
                    m_lexer.take();
                    args.push_back(parseOr());
                }
            }
            expect(Tok::RParen, "')'");
        }
        if (NodePtr function = functionNode(upper, std::move(args), call))
            return function;
        if (call)
            fail(QStringLiteral("unknown function %1").arg(name.text));
        ClientDataSet *dataSet = m_report ? m_report->dataSet() : nullptr;
        if (!dataSet)
            fail(QStringLiteral("unknown name %1 (the report has no data set)").arg(name.text));
        return fieldNode(dataSet, name.text);
    }

    NodePtr fieldNode(ClientDataSet *dataSet, const QString &field)
    {
        if (dataSet->Active() && !dataSet->FindField(field.toStdString()))
            fail(QStringLiteral("field %1 not found in data set %2").arg(field, dataSet->objectName()));
        return std::make_unique<FieldNode>(dataSet, field.toStdString(), m_text);
    }

    ClientDataSet *findDataSet(const QString &name) const
    {
        if (m_report) {
            ClientDataSet *own = m_report->dataSet();
            if (own && own->objectName().compare(name, Qt::CaseInsensitive) == 0)
                return own;
            // Other data sets of the window that owns the report ("ClientDataSet2").
            const QObject *owner = m_report->parent() ? m_report->parent() : m_report;
            for (ClientDataSet *dataSet : owner->findChildren<ClientDataSet *>()) {
                if (dataSet->objectName().compare(name, Qt::CaseInsensitive) == 0)
                    return dataSet;
            }
        }
        fail(QStringLiteral("unknown data set %1").arg(name));
    }

    void checkArgs(const QString &name, const std::vector<NodePtr> &args, std::size_t count) const
    {
        if (args.size() != count)
            fail(QStringLiteral("%1 takes %2 argument(s)").arg(name).arg(count));
    }

    NodePtr functionNode(const QString &name, std::vector<NodePtr> args, bool call)
    {
        const Report *report = m_report;
        static const std::vector<std::pair<QString, std::size_t>> arities = {
            {"PAGENUMBER", 0}, {"COLUMNNUMBER", 0}, {"REPORTTITLE", 0}, {"IF", 3},    {"STR", 1},
            {"UPPER", 1},      {"LOWER", 1},        {"COPY", 3},        {"INT", 1},   {"FORMATNUMERIC", 2}};
        for (const auto &[builtin, arity] : arities) {
            if (builtin == name) {
                checkArgs(name, args, arity);
                return std::make_unique<CallNode>(builtinFunction(name, report), std::move(args));
            }
        }
        if (!call)
            return userFunction(name);
        return nullptr;
    }

    static Builtin builtinFunction(const QString &name, const Report *report)
    {
        if (name == "PAGENUMBER")
            return [report](const std::vector<Variant> &) { return Variant(report ? report->pageNumber() : 0); };
        if (name == "COLUMNNUMBER")
            return [report](const std::vector<Variant> &) { return Variant(report ? report->columnNumber() : 1); };
        if (name == "REPORTTITLE")
            return [report](const std::vector<Variant> &) {
                return report ? textVariant(report->reportTitle()) : Variant("");
            };
        if (name == "IF")
            return [](const std::vector<Variant> &a) { return truthOf(a[0]) ? a[1] : a[2]; };
        if (name == "STR")
            return [](const std::vector<Variant> &a) { return Variant(varToStr(a[0])); };
        if (name == "UPPER")
            return [](const std::vector<Variant> &a) { return textVariant(argText(a[0]).toUpper()); };
        if (name == "LOWER")
            return [](const std::vector<Variant> &a) { return textVariant(argText(a[0]).toLower()); };
        if (name == "COPY")
            return [](const std::vector<Variant> &a) {
                const int start = std::max(1, int(numberOf(a[1], "COPY")));
                const int count = std::max(0, int(numberOf(a[2], "COPY")));
                return textVariant(argText(a[0]).mid(start - 1, count));
            };
        if (name == "INT")
            return [](const std::vector<Variant> &a) {
                return Variant(std::int64_t(std::trunc(numberOf(a[0], "INT"))));
            };
        return [](const std::vector<Variant> &a) {
            return Variant(formatNumberMask(varToStr(a[0]), numberOf(a[1], "FORMATNUMERIC")));
        };
    }

    // A function of the report's list, "NAME=expression".
    NodePtr userFunction(const QString &name)
    {
        if (!m_report)
            return nullptr;
        for (const QString &entry : m_report->functions()) {
            const int equals = entry.indexOf('=');
            if (equals <= 0 || entry.left(equals).trimmed().toUpper() != name)
                continue;
            if (m_calling.contains(name))
                fail(QStringLiteral("function %1 calls itself").arg(name));
            QStringList calling = m_calling;
            calling << name;
            return Parser(entry.mid(equals + 1).trimmed(), m_report, calling).parseAll();
        }
        return nullptr;
    }

    const QString &m_text;
    Lexer m_lexer;
    const Report *m_report;
    QStringList m_calling;
};

} // namespace

// ---------------------------------------------------------------- expression

ReportExpression::ReportExpression() = default;
ReportExpression::ReportExpression(QString text) : m_text(std::move(text)) {}
ReportExpression::~ReportExpression() = default;
ReportExpression::ReportExpression(ReportExpression &&) noexcept = default;
ReportExpression &ReportExpression::operator=(ReportExpression &&) noexcept = default;

void ReportExpression::setText(QString text)
{
    m_text = std::move(text);
    release();
}

void ReportExpression::prepare(const Report *report)
{
    release();
    if (m_text.trimmed().isEmpty())
        throw ReportError("The expression is empty");
    try {
        m_root = Parser(m_text, report, {}).parseAll();
    } catch (const ReportError &error) {
        const std::string message = error.what();
        if (message.rfind("Expression", 0) == 0)
            throw;
        throw ReportError("Expression \"" + m_text.toStdString() + "\": " + message);
    }
}

void ReportExpression::release()
{
    m_root.reset();
}

Variant ReportExpression::value() const
{
    if (!m_root)
        throw ReportError("Expression \"" + m_text.toStdString() + "\" is not prepared");
    try {
        return m_root->eval();
    } catch (const VariantError &error) {
        throw ReportError("Expression \"" + m_text.toStdString() + "\": " + error.what());
    }
}

std::string ReportExpression::valueText() const
{
    return varToStr(value());
}

} // namespace kv
