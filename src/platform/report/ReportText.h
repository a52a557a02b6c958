#pragma once
// kv::ReportText: the base of components that print a text (label, data
// text, expression, memo). The text is taken when the band prints, passed
// to OnPrint (TextPrintArgs: a handler may replace it) and drawn at the top
// of the component's box with its alignment.
//
// AutoSize fits the width to the text (the left edge stays for left-aligned
// text, the right edge for right-aligned, the centre for centred).
// AlignToBand aligns the box on the band instead of leaving it where it is.
// WordWrap breaks long text into lines inside the box; AutoStretch lets the
// box (and its band) grow to show every line. Without AutoStretch text
// beyond the box is cut off.

#include "platform/report/ReportPrintable.h"

#include <QFontMetricsF>
#include <QString>

#include <memory>
#include <string>

namespace kv {

class ReportText : public ReportPrintable {
    Q_OBJECT
    Q_PROPERTY(kv::ReportText::TAlignment Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(bool AlignToBand READ alignToBand WRITE setAlignToBand)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool AutoStretch READ autoStretch WRITE setAutoStretch)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    KV_REPORT_EVENT(OnPrint)

public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    ~ReportText() override;

    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment) { m_alignment = alignment; }
    bool alignToBand() const { return m_alignToBand; }
    void setAlignToBand(bool align) { m_alignToBand = align; }
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize) { m_autoSize = autoSize; }
    bool autoStretch() const { return m_autoStretch; }
    void setAutoStretch(bool stretch) { m_autoStretch = stretch; }
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wrap) { m_wordWrap = wrap; }

    // The text as it was printed last (after OnPrint).
    QString printedText() const { return m_text; }

    void registerRun(PageStore &store, const Report &report) override;
    double layout(double bandWidth) override;
    void draw(const PrintTarget &target) override;

protected:
    explicit ReportText(QObject *parent);
    // The text for the current record, before OnPrint.
    virtual std::string textToPrint() = 0;

private:
    double textWidth() const;
    double textHeight(double width, int flags) const;

    TAlignment m_alignment = taLeftJustify;
    bool m_alignToBand = false;
    bool m_autoSize = false;
    bool m_autoStretch = false;
    bool m_wordWrap = true;

    int m_style = -1;
    std::unique_ptr<QFontMetricsF> m_metrics;
    QString m_text;
    QRectF m_rect;
    int m_flags = 0;
};

} // namespace kv
