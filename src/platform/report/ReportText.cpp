#include "platform/report/ReportText.h"

#include "platform/report/PageStore.h"
#include "platform/report/ReportUnits.h"

#include <QStringList>

#include <algorithm>

namespace kv {

namespace {

constexpr double kScale = PageStore::kTextScale;

} // namespace

ReportText::ReportText(QObject *parent) : ReportPrintable(parent) {}

ReportText::~ReportText() = default;

void ReportText::registerRun(PageStore &store, const Report &report)
{
    ReportPrintable::registerRun(store, report);
    m_style = store.textStyle(report_units::pageFont(font()), color());
    m_metrics = std::make_unique<QFontMetricsF>(store.textFont(m_style));
}

double ReportText::textWidth() const
{
    double widest = 0;
    for (const QString &line : m_text.split('\n'))
        widest = std::max(widest, m_metrics->horizontalAdvance(line));
    return widest / kScale;
}

double ReportText::textHeight(double width, int flags) const
{
    const QRectF box(0, 0, width * kScale, 1e9);
    return m_metrics->boundingRect(box, flags, m_text).height() / kScale;
}

double ReportText::layout(double bandWidth)
{
    std::string text = textToPrint();
    if (!eventOnPrint().isEmpty()) {
        TextPrintArgs args;
        args.value = std::move(text);
        eventOnPrint()(this, args);
        text = std::move(args.value);
    }
    m_text = QString::fromStdString(text);

    QRectF rect = designRect();
    if (m_autoSize) {
        const double width = textWidth();
        if (m_alignment == taRightJustify)
            rect.setLeft(rect.right() - width);
        else if (m_alignment == taCenter)
            rect.setLeft(rect.center().x() - width / 2);
        rect.setWidth(width);
    }
    if (m_alignToBand) {
        if (m_alignment == taLeftJustify)
            rect.moveLeft(0);
        else if (m_alignment == taRightJustify)
            rect.moveRight(bandWidth);
        else
            rect.moveLeft((bandWidth - rect.width()) / 2);
    }
    m_flags = Qt::AlignTop | (m_alignment == taRightJustify ? Qt::AlignRight
                              : m_alignment == taCenter     ? Qt::AlignHCenter
                                                            : Qt::AlignLeft);
    if (m_wordWrap && !m_autoSize)
        m_flags |= Qt::TextWordWrap;
    double growth = 0;
    if (m_autoStretch && !m_text.isEmpty()) {
        const double needed = textHeight(rect.width(), m_flags);
        if (needed > rect.height()) {
            growth = needed - rect.height();
            rect.setHeight(needed);
        }
    }
    m_rect = rect;
    return growth;
}

void ReportText::draw(const PrintTarget &target)
{
    if (m_text.isEmpty())
        return;
    target.store.addText(componentIndex(), target.form, m_rect.translated(target.origin), m_flags, m_style, m_text);
}

} // namespace kv
