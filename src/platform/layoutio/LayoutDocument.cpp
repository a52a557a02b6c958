#include "platform/layoutio/LayoutDocument.h"

#include "platform/layoutio/LayoutValue.h"

namespace kv {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool isPropertyPath(std::string_view name)
{
    if (name.size() > LayoutDocument::kMaxNameBytes)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = name.find('.', start);
        const std::string_view part = name.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (!LayoutValue::isIdentifier(part))
            return false;
        if (dot == std::string_view::npos)
            return true;
        start = dot + 1;
    }
}

// Whether a list value "( ..." has its closing ")" outside quotes.
bool listClosed(std::string_view value)
{
    bool quoted = false;
    for (char c : value) {
        if (c == '\'')
            quoted = !quoted;
        else if (c == ')' && !quoted)
            return true;
    }
    return false;
}

bool needsContinuation(std::string_view value)
{
    if (!value.empty() && value.front() == '(')
        return !listClosed(value);
    return !value.empty() && value.back() == '+';
}

class Parser {
public:
    Parser(std::string_view text, ProblemLog &problems) : m_text(text), m_problems(problems) {}

    std::optional<LayoutNode> run()
    {
        if (m_text.size() > LayoutDocument::kMaxTextBytes) {
            m_problems.add(1, "the layout text is too long");
            return std::nullopt;
        }
        while (!m_done && nextLine())
            handleLine();
        closeOpenBlocks();
        if (!m_root)
            m_problems.add(1, "no object or inherited line: nothing to read");
        return std::move(m_root);
    }

private:
    bool nextLine()
    {
        if (m_pos > m_text.size())
            return false;
        const std::size_t end = std::min(m_text.find('\n', m_pos), m_text.size());
        m_line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        ++m_lineNumber;
        return true;
    }

    void handleLine()
    {
        const std::string_view line = trimmed(m_line);
        if (line.empty())
            return;
        const std::string_view word = line.substr(0, line.find(' '));
        if (word == "object" || word == "inherited" || word == "inline")
            openBlock(line, word == "inherited");
        else if (line == "end")
            closeBlock();
        else if (!m_root)
            m_problems.add(m_lineNumber, "an object or inherited line was expected");
        else
            addProperty(line);
    }

    // "object Name: TClass" (an index in brackets after the class is allowed).
    bool parseHeader(std::string_view line, LayoutNode &node)
    {
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            return false; // the word alone
        line = trimmed(line.substr(space));
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return false;
        const std::string_view name = trimmed(line.substr(0, colon));
        std::string_view className = trimmed(line.substr(colon + 1));
        className = trimmed(className.substr(0, className.find('[')));
        if (!LayoutValue::isIdentifier(name) || !LayoutValue::isIdentifier(className) ||
            name.size() > LayoutDocument::kMaxNameBytes || className.size() > LayoutDocument::kMaxNameBytes)
            return false;
        node.name = std::string(name);
        node.className = std::string(className);
        return true;
    }

    void openBlock(std::string_view line, bool inherited)
    {
        if (m_root && m_open.empty()) {
            m_problems.add(m_lineNumber, "text after the end of the root component is ignored");
            m_done = true;
            return;
        }
        LayoutNode node;
        node.line = m_lineNumber;
        node.inherited = inherited;
        const bool wellFormed = parseHeader(line, node);
        if (!wellFormed)
            m_problems.add(m_lineNumber, "a malformed component line; the block is skipped");
        if (!m_root) {
            if (!wellFormed) {
                // Its end is consumed quietly; the next component line
                // may still be a root.
                m_skipDepth = 1;
                return;
            }
            m_root = std::move(node);
            m_skipDepth = 0;
            m_open.push_back(&*m_root);
            m_components = 1;
            return;
        }
        LayoutNode *parent = m_open.back();
        if (parent && wellFormed && m_open.size() >= LayoutDocument::kMaxDepth) {
            m_problems.add(m_lineNumber, "components nested too deeply; the block is skipped");
            parent = nullptr;
        }
        if (parent && wellFormed && m_components >= LayoutDocument::kMaxComponents) {
            if (!m_componentLimitReported)
                m_problems.add(m_lineNumber, "too many components; the rest are skipped");
            m_componentLimitReported = true;
            parent = nullptr;
        }
        if (!parent || !wellFormed) {
            m_open.push_back(nullptr);
            return;
        }
        ++m_components;
        parent->children.push_back(std::move(node));
        m_open.push_back(&parent->children.back());
    }

    void closeBlock()
    {
        if (m_open.empty()) {
            if (m_skipDepth > 0) {
                m_skipDepth = 0;
                return;
            }
            m_problems.add(m_lineNumber, m_root ? "an end without a component" : "an end before any component");
            if (m_root)
                m_done = true;
            return;
        }
        m_open.pop_back();
    }

    void addProperty(std::string_view line)
    {
        if (m_open.empty()) {
            // Inside a malformed block before the root: nothing to attach to.
            if (m_skipDepth == 0)
                m_problems.add(m_lineNumber, "a property outside any component");
            return;
        }
        const int first = m_lineNumber;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            m_problems.add(first, "neither a property, a component nor end");
            return;
        }
        const std::string_view name = trimmed(line.substr(0, equals));
        std::string value(trimmed(line.substr(equals + 1)));
        if (!joinContinuation(value, first))
            return;
        LayoutNode *node = m_open.back();
        if (!node)
            return; // a skipped block
        if (!isPropertyPath(name)) {
            m_problems.add(first, "a malformed property name");
            return;
        }
        if (node->properties.size() >= LayoutDocument::kMaxProperties) {
            m_problems.add(first, "too many properties in " + node->name);
            return;
        }
        node->properties.push_back({first, std::string(name), std::move(value)});
    }

    bool joinContinuation(std::string &value, int first)
    {
        while (needsContinuation(value)) {
            if (value.size() > LayoutDocument::kMaxValueBytes || !nextLine()) {
                m_problems.add(first, value.size() > LayoutDocument::kMaxValueBytes ? "a value is too long"
                                                                                    : "a value is not closed");
                return false;
            }
            const std::string_view more = trimmed(m_line);
            if (more == "end" || more.starts_with("object ") || more.starts_with("inherited ")) {
                // The value was cut off; the line belongs to the structure.
                m_problems.add(first, "a value is not closed");
                handleLine();
                return false;
            }
            value += ' ';
            value += more;
        }
        if (value.size() > LayoutDocument::kMaxValueBytes) {
            m_problems.add(first, "a value is too long");
            return false;
        }
        return true;
    }

    void closeOpenBlocks()
    {
        for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
            if (*it)
                m_problems.add((*it)->line, "the end of " + (*it)->name + " is missing");
        }
        m_open.clear();
    }

    std::string_view m_text;
    ProblemLog &m_problems;
    std::size_t m_pos = 0;
    std::string_view m_line;
    int m_lineNumber = 0;
    std::optional<LayoutNode> m_root;
    std::vector<LayoutNode *> m_open; // nullptr: a block being skipped
    std::size_t m_components = 0;
    bool m_componentLimitReported = false;
    bool m_done = false;
    int m_skipDepth = 0;
};

void writeNode(const LayoutNode &node, int depth, std::string &out)
{
    const std::string indent(std::size_t(depth) * 2, ' ');
    out += indent + (node.inherited ? "inherited " : "object ") + node.name + ": " + node.className + '\n';
    for (const LayoutProperty &property : node.properties)
        out += indent + "  " + property.name + " = " + property.value + '\n';
    for (const LayoutNode &child : node.children)
        writeNode(child, depth + 1, out);
    out += indent + "end\n";
}

} // namespace

std::optional<LayoutNode> LayoutDocument::parse(std::string_view text, ProblemLog &problems)
{
    return Parser(text, problems).run();
}

std::string LayoutDocument::write(const LayoutNode &root)
{
    std::string out;
    writeNode(root, 0, out);
    return out;
}

} // namespace kv
