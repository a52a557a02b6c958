#pragma once
// TKvToolBar: the flat tool bar that holds tool buttons side by side and
// gives them their pictures from its image list.

#include "base/ImageList.h"
#include "controls/ControlProperties.h"

#include <QPointer>
#include <QWidget>

class QHBoxLayout;

namespace kv {

class TKvToolButton;

class TKvToolBar : public QWidget {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(bool Flat READ isFlat WRITE setFlat)
    Q_PROPERTY(bool ShowCaptions READ showCaptions WRITE setShowCaptions)
    Q_PROPERTY(kv::TImageList *Images READ images WRITE setImages)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

public:
    explicit TKvToolBar(QWidget *parent = nullptr);

    // Appends a button (the bar becomes its parent).
    void AddButton(TKvToolButton *button);

    bool isFlat() const { return m_flat; }
    void setFlat(bool flat);
    bool showCaptions() const { return m_showCaptions; }
    void setShowCaptions(bool show);
    TImageList *images() const { return m_images; }
    void setImages(TImageList *images);

private:
    void refreshButtons();

    QHBoxLayout *m_layout;
    QPointer<TImageList> m_images;
    bool m_flat = true;
    bool m_showCaptions = false;
};

} // namespace kv
