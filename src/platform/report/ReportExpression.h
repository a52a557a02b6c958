#pragma once
// kv::ReportExpression: the expressions of expression fields, group headers
// and the report's own functions.
//
//   ClientDataSet1.TC001+ClientDataSet1.TC002     fields joined (texts)
//   IF(TE005 > 0, 'issue', 'return')              functions, comparisons
//   'Page ' + STR(PAGENUMBER)                     report functions
//
// Operands: numbers, texts in single or double quotes, TRUE and FALSE,
// fields (DataSet.Field, or Field of the report's data set), functions.
// Operators by rising precedence: OR; AND; NOT; = <> < > <= >=; + -; * /;
// unary minus. "+" adds two numbers and joins anything else as text (a null
// field joins as ""). Names are compared without case.
//
// Functions: PAGENUMBER, COLUMNNUMBER, REPORTTITLE (the report being
// generated), IF(condition, a, b), STR(x), UPPER(s), LOWER(s),
// COPY(s, start, count) (characters, from 1), INT(x), FORMATNUMERIC(mask, x)
// (kv::formatNumberMask), and every function the report's Functions list
// declares as NAME=expression.
//
// prepare() parses the text and finds the data sets; it throws ReportError
// with the position of a syntax error, an unknown function or data set.
// value() evaluates against the current records; a field that is missing
// when evaluated is a ReportError as well.

#include "platform/Variant.h"

#include <QString>

#include <memory>
#include <string>

namespace kv {

class Report;

class ReportExpression {
public:
    ReportExpression();
    explicit ReportExpression(QString text);
    ~ReportExpression();
    ReportExpression(ReportExpression &&) noexcept;
    ReportExpression &operator=(ReportExpression &&) noexcept;

    const QString &text() const { return m_text; }
    void setText(QString text);

    // The report gives the data sets (its own and those of the window that
    // owns it), its functions and the page being printed; it may be null.
    void prepare(const Report *report);
    bool isPrepared() const { return m_root != nullptr; }
    void release();

    Variant value() const;
    // The value as printed text (null gives "").
    std::string valueText() const;

    class Node;

private:
    QString m_text;
    std::unique_ptr<Node> m_root;
};

} // namespace kv
