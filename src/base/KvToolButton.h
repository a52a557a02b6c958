#pragma once
// TKvToolButton: a button of a tool bar. Its picture is entry ImageIndex of
// the bar's image list; a drop-down button opens its DropdownMenu from the
// arrow and raises OnClick from the button itself.

#include "base/ImageList.h"
#include "controls/ControlProperties.h"

#include <QMenu>
#include <QPointer>
#include <QToolButton>



namespace kv {


class TKvToolButton : public QToolButton {
    Q_OBJECT
    KV_PUBLISHED_CONTROL
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(int ImageIndex READ imageIndex WRITE setImageIndex)
    Q_PROPERTY(int Tag READ tag WRITE setTag)
    Q_PROPERTY(kv::TKvToolButton::TToolButtonStyle Style READ style WRITE setStyle)
    Q_PROPERTY(QMenu *DropdownMenu READ dropdownMenu WRITE setDropdownMenu)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    KV_PUBLISHED_EVENT(OnClick)

public:
    enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
    Q_ENUM(TToolButtonStyle)

    explicit TKvToolButton(QWidget *parent = nullptr);

    int imageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    TToolButtonStyle style() const { return m_style; }
    void setStyle(TToolButtonStyle style);
    QMenu *dropdownMenu() const { return m_dropdownMenu; }
    void setDropdownMenu(QMenu *menu);

    // The bar hands its image list over.
    void setImages(TImageList *images);

private:
    void refreshIcon();

    QPointer<TImageList> m_images;
    QPointer<QMenu> m_dropdownMenu;
    int m_imageIndex = -1;
    int m_tag = 0;
    TToolButtonStyle m_style = tbsButton;
};

} // namespace kv
