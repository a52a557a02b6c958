#pragma once
// TKvPageControl: the extended page control of the program windows. Its
// pages are TKvTabSheet widgets. A page change, whether by a click on a tab
// or by ChangeTo(), first asks OnChanging (AcceptArgs: clearing accept keeps
// the page), then shows the page and raises OnChange.

#include "base/KvTabSheet.h"
#include "controls/ControlProperties.h"

#include <QTabWidget>

namespace kv {


class TKvPageControl : public QTabWidget {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(kv::TKvTabSheet *ActivePage READ activePage WRITE setActivePage)
    Q_PROPERTY(int ActivePageIndex READ currentIndex WRITE setActivePageIndex)
    Q_PROPERTY(int PageCount READ count)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    KV_PUBLISHED_EVENT(OnChange)
    KV_PUBLISHED_EVENT(OnChanging)

public:
    explicit TKvPageControl(QWidget *parent = nullptr);

    void AddPage(TKvTabSheet *sheet);
    TKvTabSheet *page(int index) const;
    TKvTabSheet *activePage() const;
    // Sets the page without asking (as the form's stored ActivePage does).
    void setActivePage(TKvTabSheet *sheet);
    void setActivePageIndex(int index);

    // The user's change to a page: OnChanging, then the change, then
    // OnChange. False when refused (or the index is no page).
    bool ChangeTo(int index);
    // The next (or previous) page whose tab is visible, wrapping round;
    // -1 when there is none other.
    int FindNextPage(int from, bool forward) const;

    // Keeps a page's tab in step with its TabVisible.
    void tabVisibilityChanged(TKvTabSheet *sheet);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_changing = false;
};

} // namespace kv
