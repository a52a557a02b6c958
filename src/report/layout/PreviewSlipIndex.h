#pragma once
// PreviewSlipIndex: the slips of a run as the preview's index lists them,
// read from the header texts recorded on the pages. A slip starts on the
// form whose slip type and number differ from the form before it; a form
// that printed neither (a summary page, a lost header) stays with the slip
// before it. Each slip is told by its type and number, its date and its
// department or supplier, as its first form printed them.
//
// The index follows the page store while pages arrive, so it is usable
// while a run is still being generated; the last slip grows as its forms
// come in.

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

namespace kv {

class PageStore;

class PreviewSlipIndex : public QObject {
    Q_OBJECT

public:
    // The components of the header that tell a slip (the standard slip
    // layout's fields); a layout with other names sets its own.
    struct Fields {
        QString type = QStringLiteral("txtTC001");
        QString number = QStringLiteral("txtTC002");
        QString date = QStringLiteral("txtTC014");
        // Department name first, then the supplier's short name.
        QStringList parties{QStringLiteral("txtCMSME002"), QStringLiteral("txtPURMA002"),
                            QStringLiteral("txtTC021"), QStringLiteral("txtTC006")};
    };

    struct Slip {
        QString type, number, date, party;
        int firstForm = 0, lastForm = 0;
        int firstPage = 0, lastPage = 0;
        // "5401-20240301001": how the clerk names a slip.
        QString key() const;
    };

    explicit PreviewSlipIndex(QObject *parent = nullptr);

    void setFields(const Fields &fields);
    void setPages(PageStore *pages);

    const std::vector<Slip> &slips() const { return m_slips; }
    // The slip a page belongs to (the first one starting on it), -1 none.
    int slipOfPage(int page) const;

signals:
    // Slips were added or the last one grew (from: the first index changed).
    void slipsChanged(int from);

private:
    void rebuild();
    void readPage(int page);
    void addForm(int form, int page, const QString &type, const QString &number, const QString &date,
                 const QString &party);

    QPointer<PageStore> m_pages;
    Fields m_fields;
    std::vector<Slip> m_slips;
    int m_pagesRead = 0;
};

} // namespace kv
