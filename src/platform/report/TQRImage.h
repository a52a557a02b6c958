#pragma once
// kv::TQRImage: a picture on a band (a logo). Stretch fills the box; else
// the picture keeps its size in design pixels (at its own resolution) and is
// centred with Center, or placed at the top left. Every page refers to the
// one picture; it is not copied per page.

#include "platform/report/ReportPrintable.h"

#include <QImage>

namespace kv {

class TQRImage : public ReportPrintable {
    Q_OBJECT
    Q_PROPERTY(QImage Picture READ picture WRITE setPicture)
    Q_PROPERTY(bool Stretch READ stretch WRITE setStretch)
    Q_PROPERTY(bool Center READ center WRITE setCenter)

public:
    explicit TQRImage(QObject *parent = nullptr);

    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture) { m_picture = picture; }
    bool stretch() const { return m_stretch; }
    void setStretch(bool stretch) { m_stretch = stretch; }
    bool center() const { return m_center; }
    void setCenter(bool center) { m_center = center; }

    void registerRun(PageStore &store, const Report &report) override;
    double layout(double bandWidth) override;
    void draw(const PrintTarget &target) override;

private:
    QImage m_picture;
    bool m_stretch = false;
    bool m_center = false;
    int m_style = -1;
    QRectF m_rect;
};

} // namespace kv
