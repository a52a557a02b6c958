#pragma once
// PreviewSearch: the text search of the preview window. It looks for a text
// among the texts recorded on the pages of a page store (slip numbers, item
// codes, names) and keeps the hits in page order with a current one that
// moves forward and back, wrapping at either end.
//
// Simplified and traditional characters match each other: page texts and
// the query are both brought to simplified characters through the module's
// language library before they are compared, and letters match in either
// case. Without the language library texts match as they are written.
//
// Pages may still arrive while a search is shown: hits on new pages are
// added behind the others (pageAdded), the current hit stays where it is.

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

namespace kv {

class PageStore;
struct PageText;
class TTranslator;

class PreviewSearch : public QObject {
    Q_OBJECT

public:
    struct Hit {
        int page = 0;
        QRectF rect; // the hit text's rectangle, page units
        QString text;
    };

    explicit PreviewSearch(QObject *parent = nullptr);
    ~PreviewSearch() override;

    void setPages(PageStore *pages);
    // Searches the pages there are now; an empty (or blank) query clears.
    // The current hit is the first on or after fromPage (the page the user
    // is reading), else the first of all.
    void find(const QString &query, int fromPage = 1);
    QString query() const { return m_query; }

    const std::vector<Hit> &hits() const { return m_hits; }
    int hitCount() const { return int(m_hits.size()); }
    // Index of the current hit, -1 with none.
    int current() const { return m_current; }
    const Hit *currentHit() const;
    // Moves to the next (+1) or previous (-1) hit, wrapping around.
    void step(int direction);
    // The hits on one page, in recorded order.
    std::vector<QRectF> hitRects(int page) const;

    // The form the comparison uses: simplified characters, folded case.
    QString normalized(const QString &text) const;

signals:
    void hitsChanged();
    void currentChanged();

private:
    void pageAdded();
    void searchPage(int page);
    // Normalised texts of a page, converted once (one call for the page).
    const std::vector<QString> &pageTexts(int page, const std::vector<PageText> &recorded);

    QPointer<PageStore> m_pages;
    std::unique_ptr<TTranslator> m_translator;
    std::vector<std::vector<QString>> m_normalized; // by page - 1
    std::vector<bool> m_cached;
    QString m_query;
    QString m_needle;
    std::vector<Hit> m_hits;
    int m_current = -1;
    int m_searched = 0; // pages searched for the query
};

} // namespace kv
