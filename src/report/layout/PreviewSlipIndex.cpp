#include "report/layout/PreviewSlipIndex.h"

#include "platform/report/PageStore.h"

#include <algorithm>
#include <map>

namespace kv {

QString PreviewSlipIndex::Slip::key() const
{
    if (type.isEmpty() || number.isEmpty())
        return type + number;
    return type + QLatin1Char('-') + number;
}

PreviewSlipIndex::PreviewSlipIndex(QObject *parent) : QObject(parent) {}

void PreviewSlipIndex::setFields(const Fields &fields)
{
    m_fields = fields;
    rebuild();
}

void PreviewSlipIndex::setPages(PageStore *pages)
{
    if (m_pages)
        disconnect(m_pages, nullptr, this, nullptr);
    m_pages = pages;
    if (m_pages) {
        // Pages are only ever added: read what is new.
        connect(m_pages, &PageStore::pageAvailable, this, [this](int) {
            const int from = std::max(0, int(m_slips.size()) - 1);
            const std::size_t before = m_slips.size();
            const int lastPage = m_slips.empty() ? 0 : m_slips.back().lastPage;
            while (m_pagesRead < m_pages->pageCount())
                readPage(++m_pagesRead);
            if (m_slips.size() != before || (!m_slips.empty() && m_slips.back().lastPage != lastPage))
                emit slipsChanged(from);
        });
    }
    rebuild();
}

void PreviewSlipIndex::rebuild()
{
    m_slips.clear();
    m_pagesRead = 0;
    if (m_pages) {
        while (m_pagesRead < m_pages->pageCount())
            readPage(++m_pagesRead);
    }
    emit slipsChanged(0);
}

void PreviewSlipIndex::readPage(int page)
{
    // The header texts of each form on the page (half pages hold two).
    struct Header {
        QString type, number, date;
        std::map<QString, QString> parties;
    };
    std::map<int, Header> forms;
    for (const PageText &text : m_pages->texts(page)) {
        Header &header = forms[text.form];
        const QString value = text.text.trimmed();
        if (text.component == m_fields.type && header.type.isEmpty())
            header.type = value;
        else if (text.component == m_fields.number && header.number.isEmpty())
            header.number = value;
        else if (text.component == m_fields.date && header.date.isEmpty())
            header.date = value;
        else if (m_fields.parties.contains(text.component) && !value.isEmpty())
            header.parties.emplace(text.component, value);
    }
    for (const auto &[form, header] : forms) {
        QString party;
        for (const QString &field : m_fields.parties) {
            const auto found = header.parties.find(field);
            if (found != header.parties.end()) {
                party = found->second;
                break;
            }
        }
        addForm(form, page, header.type, header.number, header.date, party);
    }
}

void PreviewSlipIndex::addForm(int form, int page, const QString &type, const QString &number, const QString &date,
                               const QString &party)
{
    const bool told = !type.isEmpty() || !number.isEmpty();
    if (!m_slips.empty()) {
        Slip &last = m_slips.back();
        if (!told || (type == last.type && number == last.number)) {
            last.lastForm = std::max(last.lastForm, form);
            last.lastPage = std::max(last.lastPage, page);
            return;
        }
    }
    m_slips.push_back(Slip{type, number, date, party, form, form, page, page});
}

int PreviewSlipIndex::slipOfPage(int page) const
{
    for (std::size_t i = 0; i < m_slips.size(); ++i) {
        if (page >= m_slips[i].firstPage && page <= m_slips[i].lastPage)
            return int(i);
    }
    return -1;
}

} // namespace kv
