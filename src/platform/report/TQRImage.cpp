#include "platform/report/TQRImage.h"

#include "platform/report/PageStore.h"
#include "platform/report/ReportUnits.h"

namespace kv {

TQRImage::TQRImage(QObject *parent) : ReportPrintable(parent) {}

void TQRImage::registerRun(PageStore &store, const Report &report)
{
    ReportPrintable::registerRun(store, report);
    m_style = m_picture.isNull() ? -1 : store.imageStyle(m_picture);
}

double TQRImage::layout(double)
{
    const QRectF box = designRect();
    if (m_picture.isNull() || m_stretch) {
        m_rect = box;
        return 0;
    }
    // The picture's own size: its pixels at its resolution (screen resolution when it has none).
    const double dpiX = m_picture.dotsPerMeterX() > 0 ? m_picture.dotsPerMeterX() * 0.0254 : report_units::kScreenDpi;
    const double dpiY = m_picture.dotsPerMeterY() > 0 ? m_picture.dotsPerMeterY() * 0.0254 : report_units::kScreenDpi;
    const QSizeF size(m_picture.width() / dpiX * report_units::kTenthsPerInch,
                      m_picture.height() / dpiY * report_units::kTenthsPerInch);
    m_rect = QRectF(box.topLeft(), size);
    if (m_center)
        m_rect.moveCenter(box.center());
    // A picture larger than its box is shown in the box, as far as it fits.
    m_rect = m_rect.intersected(box);
    return 0;
}

void TQRImage::draw(const PrintTarget &target)
{
    if (m_style < 0 || m_rect.isEmpty())
        return;
    target.store.addImage(target.form, m_rect.translated(target.origin), m_style);
}

} // namespace kv
