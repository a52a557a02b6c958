#include "report/layout/PreviewSearch.h"

#include "lib/Translator.h"
#include "platform/report/PageStore.h"

#include <algorithm>

namespace kv {

namespace {

bool allAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// Joins texts for one conversion; the separator is no text of a page.
const QChar kSeparator(0x1F);

} // namespace

PreviewSearch::PreviewSearch(QObject *parent) : QObject(parent)
{
    try {
        m_translator = std::make_unique<TTranslator>();
    } catch (const ETranslator &) {
        // No language library: texts still match as they are written.
    }
}

PreviewSearch::~PreviewSearch() = default;

void PreviewSearch::setPages(PageStore *pages)
{
    if (m_pages)
        disconnect(m_pages, nullptr, this, nullptr);
    m_pages = pages;
    m_normalized.clear();
    m_cached.clear();
    if (m_pages)
        connect(m_pages, &PageStore::pageAvailable, this, &PreviewSearch::pageAdded);
    find(m_query);
}

QString PreviewSearch::normalized(const QString &text) const
{
    QString result = text;
    if (m_translator && !allAscii(text)) {
        try {
            result = QString::fromStdString(m_translator->BIG5toGB(text.toStdString()));
        } catch (const ETranslator &) {
            // A text the library refuses is compared as written.
        }
    }
    return result.toCaseFolded();
}

const std::vector<QString> &PreviewSearch::pageTexts(int page, const std::vector<PageText> &recorded)
{
    const std::size_t index = std::size_t(page - 1);
    if (m_normalized.size() <= index) {
        m_normalized.resize(index + 1);
        m_cached.resize(index + 1, false);
    }
    if (m_cached[index])
        return m_normalized[index];
    QStringList texts;
    for (const PageText &text : recorded)
        texts << QString(text.text).replace(kSeparator, QLatin1Char(' '));
    // One conversion for the whole page: the library is slow to call.
    const QStringList converted = normalized(texts.join(kSeparator)).split(kSeparator);
    std::vector<QString> &result = m_normalized[index];
    if (converted.size() == texts.size()) {
        result.assign(converted.cbegin(), converted.cend());
    } else {
        result.clear();
        for (const QString &text : texts)
            result.push_back(normalized(text));
    }
    m_cached[index] = true;
    return result;
}

void PreviewSearch::find(const QString &query, int fromPage)
{
    m_query = query;
    m_needle = normalized(query.trimmed());
    m_hits.clear();
    m_current = -1;
    m_searched = 0;
    if (m_pages && !m_needle.isEmpty()) {
        while (m_searched < m_pages->pageCount())
            searchPage(++m_searched);
    }
    if (!m_hits.empty()) {
        const auto from = std::find_if(m_hits.cbegin(), m_hits.cend(),
                                       [fromPage](const Hit &hit) { return hit.page >= fromPage; });
        m_current = from == m_hits.cend() ? 0 : int(from - m_hits.cbegin());
    }
    emit hitsChanged();
    emit currentChanged();
}

void PreviewSearch::searchPage(int page)
{
    const std::vector<PageText> recorded = m_pages->texts(page);
    const std::vector<QString> &texts = pageTexts(page, recorded);
    for (std::size_t i = 0; i < texts.size() && i < recorded.size(); ++i) {
        if (texts[i].contains(m_needle))
            m_hits.push_back(Hit{page, recorded[i].rect, recorded[i].text});
    }
}

void PreviewSearch::pageAdded()
{
    if (m_needle.isEmpty() || !m_pages)
        return;
    // Whatever is announced, each page is searched once, in page order.
    const std::size_t before = m_hits.size();
    while (m_searched < m_pages->pageCount())
        searchPage(++m_searched);
    if (m_hits.size() == before)
        return;
    const bool first = m_current < 0;
    if (first)
        m_current = 0;
    emit hitsChanged();
    if (first)
        emit currentChanged();
}

const PreviewSearch::Hit *PreviewSearch::currentHit() const
{
    return m_current >= 0 && m_current < hitCount() ? &m_hits[std::size_t(m_current)] : nullptr;
}

void PreviewSearch::step(int direction)
{
    if (m_hits.empty())
        return;
    const int count = hitCount();
    m_current = ((m_current + direction) % count + count) % count;
    emit currentChanged();
}

std::vector<QRectF> PreviewSearch::hitRects(int page) const
{
    std::vector<QRectF> rects;
    for (const Hit &hit : m_hits) {
        if (hit.page == page)
            rects.push_back(hit.rect);
    }
    return rects;
}

} // namespace kv
