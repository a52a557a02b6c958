#pragma once
// The host's lookup window: the rows of a lookup reply in a list the user
// can search, one of which is picked. The reply has the shape the host-data
// objects give: [0] title, [1] column names, [2] column captions, [3] rows
// (1-D array of 1-D rows), [4] more rows matched than were sent.
//
// Searching asks the searcher for a new reply with the typed text, so the
// search runs where the rows are (the lookup data object narrows on the
// server); the list then shows the new rows.

#include "platform/Variant.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace erphost {

class LookupDialog : public QDialog {
    Q_OBJECT

public:
    using Searcher = std::function<kv::Variant(const std::string &text)>;

    // Throws std::invalid_argument when the reply has not the lookup shape.
    LookupDialog(const kv::Variant &reply, Searcher searcher, const std::string &searchText = {},
                 QWidget *parent = nullptr);

    // Shows another reply (a search result).
    void showReply(const kv::Variant &reply);
    // The row the user picked, as it stands in the reply; unassigned when
    // none is selected.
    kv::Variant pickedRow() const;
    int rowCount() const;

    // Whether a value has the lookup reply shape.
    static bool isLookupReply(const kv::Variant &reply);
    // A searcher over the rows of one reply, for data that is all at hand:
    // rows with any cell containing the text (case ignored).
    static Searcher localSearcher(kv::Variant reply);

public slots:
    void search();

private:
    void fillColumns(const kv::Variant &reply);
    void fillRows(const kv::Variant &rows);

    Searcher m_searcher;
    kv::Variant m_rows;
    QLineEdit *m_search = nullptr;
    QPushButton *m_searchButton = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_more = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace erphost
