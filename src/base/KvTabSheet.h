#pragma once
// TKvTabSheet: one page of a TKvPageControl. OnShow is raised each time the
// page becomes the shown page of a visible window.

#include "controls/ControlProperties.h"

#include <QPointer>
#include <QWidget>

namespace kv {

class TKvPageControl;

class TKvTabSheet : public QWidget {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool TabVisible READ tabVisible WRITE setTabVisible)
    Q_PROPERTY(int PageIndex READ pageIndex)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    KV_PUBLISHED_EVENT(OnShow)
    KV_PUBLISHED_EVENT(OnHide)

public:
    explicit TKvTabSheet(QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    bool tabVisible() const { return m_tabVisible; }
    void setTabVisible(bool visible);
    int pageIndex() const;
    TKvPageControl *pageControl() const;

    // Called by the page control that takes the sheet.
    void attach(TKvPageControl *pageControl);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QPointer<TKvPageControl> m_pageControl;
    QString m_caption;
    bool m_tabVisible = true;
};

} // namespace kv
