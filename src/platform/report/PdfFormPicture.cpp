#include "platform/report/PdfFormPicture.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <optional>

namespace kv {

namespace {

// What a caption inherits from the groups around it. `simple` turns false
// at the first element or attribute this class does not follow; texts under
// it are left to the SVG renderer.
struct Inherited {
    bool simple = true;
    QTransform transform;
    QString fill = QStringLiteral("black");
    QString stroke = QStringLiteral("none");
    QStringList families;
    std::optional<double> size;
    int weight = QFont::Normal;
    bool italic = false;
    Qt::Alignment anchor = Qt::AlignLeft;
};

std::optional<double> length(QStringView text)
{
    QStringView value = text.trimmed();
    if (value.endsWith(u"px"))
        value.chop(2);
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

// An SVG transform list ("translate(10 20) scale(2)"); nothing when it holds
// a function or an argument count this parser does not know.
std::optional<QTransform> parseTransform(const QString &text)
{
    static const QRegularExpression function(QStringLiteral("\\s*,?\\s*([a-zA-Z]+)\\s*\\(([^)]*)\\)"));
    static const QRegularExpression separator(QStringLiteral("[\\s,]+"));
    QTransform result;
    qsizetype at = 0;
    for (auto match = function.match(text, at); match.hasMatch() && match.capturedStart() == at;
         match = function.match(text, at)) {
        at = match.capturedEnd();
        std::vector<double> args;
        for (const QString &part : match.captured(2).split(separator, Qt::SkipEmptyParts)) {
            const auto value = length(part);
            if (!value)
                return std::nullopt;
            args.push_back(*value);
        }
        const QString name = match.captured(1);
        const std::size_t n = args.size();
        QTransform step;
        if (name == u"matrix" && n == 6)
            step = QTransform(args[0], args[1], args[2], args[3], args[4], args[5]);
        else if (name == u"translate" && (n == 1 || n == 2))
            step = QTransform::fromTranslate(args[0], n == 2 ? args[1] : 0);
        else if (name == u"scale" && (n == 1 || n == 2))
            step = QTransform::fromScale(args[0], n == 2 ? args[1] : args[0]);
        else if (name == u"rotate" && n == 1)
            step.rotate(args[0]);
        else if (name == u"rotate" && n == 3)
            step = QTransform::fromTranslate(-args[1], -args[2]) * QTransform().rotate(args[0]) *
                   QTransform::fromTranslate(args[1], args[2]);
        else
            return std::nullopt;
        // The rightmost function applies first.
        result = step * result;
    }
    if (!text.mid(at).trimmed().isEmpty())
        return std::nullopt;
    return result;
}

// Applies the presentation attributes of a group or a text; false for an
// attribute whose effect on a caption this class does not reproduce.
bool inherit(Inherited &state, const QXmlStreamAttributes &attributes)
{
    for (const QXmlStreamAttribute &attribute : attributes) {
        const QStringView name = attribute.qualifiedName();
        const QString value = attribute.value().toString().trimmed();
        if (name == u"transform") {
            const auto transform = parseTransform(value);
            if (!transform)
                return false;
            state.transform = *transform * state.transform;
        } else if (name == u"fill") {
            state.fill = value;
        } else if (name == u"stroke") {
            state.stroke = value;
        } else if (name == u"font-family") {
            state.families.clear();
            for (QString family : value.split(u',', Qt::SkipEmptyParts)) {
                family = family.trimmed();
                if (family.size() >= 2 && (family.front() == u'\'' || family.front() == u'"'))
                    family = family.mid(1, family.size() - 2);
                state.families << family;
            }
        } else if (name == u"font-size") {
            state.size = length(value);
            if (!state.size || *state.size <= 0)
                return false;
        } else if (name == u"font-weight") {
            bool ok = false;
            const int number = value.toInt(&ok);
            if (value == u"normal")
                state.weight = QFont::Normal;
            else if (value == u"bold")
                state.weight = QFont::Bold;
            else if (ok && number >= 1 && number <= 1000)
                state.weight = number;
            else
                return false;
        } else if (name == u"font-style") {
            if (value != u"normal" && value != u"italic" && value != u"oblique")
                return false;
            state.italic = value != u"normal";
        } else if (name == u"text-anchor") {
            if (value == u"start")
                state.anchor = Qt::AlignLeft;
            else if (value == u"middle")
                state.anchor = Qt::AlignHCenter;
            else if (value == u"end")
                state.anchor = Qt::AlignRight;
            else
                return false;
        } else if (name != u"id" && name != u"stroke-width" && name != u"x" && name != u"y") {
            return false;
        }
    }
    return true;
}

std::optional<PdfFormPicture::Caption> captionOf(const Inherited &state, const QXmlStreamAttributes &attributes,
                                                 const QString &text)
{
    const QColor colour = QColor::fromString(state.fill);
    if (!state.simple || !state.size || !colour.isValid() || state.stroke != u"none")
        return std::nullopt;
    const auto x = length(attributes.hasAttribute(QLatin1String("x")) ? attributes.value(QLatin1String("x")) : u"0");
    const auto y = length(attributes.hasAttribute(QLatin1String("y")) ? attributes.value(QLatin1String("y")) : u"0");
    if (!x || !y)
        return std::nullopt;
    PdfFormPicture::Caption caption;
    caption.text = text.simplified();
    caption.baseline = QPointF(*x, *y);
    caption.transform = state.transform;
    caption.font.setFamilies(state.families);
    caption.font.setPixelSize(100);
    caption.font.setWeight(QFont::Weight(state.weight));
    caption.font.setItalic(state.italic);
    caption.size = *state.size;
    caption.anchor = state.anchor;
    caption.colour = colour;
    return caption;
}

// The SVG source with the captions cut out, and the captions.
struct Split {
    QString rest;
    std::vector<PdfFormPicture::Caption> captions;
};

std::optional<Split> splitCaptions(const QString &source)
{
    // Style sheets and references may reach a text from elsewhere.
    if (source.contains(u"<style") || source.contains(u"<use"))
        return std::nullopt;
    QXmlStreamReader reader(source);
    Split split;
    std::vector<Inherited> stack;
    qsizetype tokenStart = 0;
    qsizetype cutFrom = 0;
    struct OpenText {
        qsizetype start;
        qsizetype depth;
        QXmlStreamAttributes attributes;
        QString text;
        bool plain = true;
    };
    std::optional<OpenText> open;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            Inherited state = stack.empty() ? Inherited() : stack.back();
            const QStringView name = reader.name();
            const bool root = stack.empty();
            if (open)
                open->plain = false;
            if (root) {
                state.simple = name == u"svg" && !reader.attributes().hasAttribute(QLatin1String("preserveAspectRatio")) &&
                               !reader.attributes().hasAttribute(QLatin1String("style"));
            } else if (name == u"g" || name == u"text") {
                state.simple = state.simple && inherit(state, reader.attributes());
            } else {
                state.simple = false;
            }
            stack.push_back(state);
            // The reader looks one character ahead: after character data
            // the offset already stands behind this tag's "<".
            if (name == u"text" && !open && !root)
                open = OpenText{source.lastIndexOf(u'<', tokenStart), qsizetype(stack.size()), reader.attributes(),
                                {}, true};
        } else if (token == QXmlStreamReader::Characters && open) {
            open->text += reader.text();
        } else if (token == QXmlStreamReader::EntityReference || token == QXmlStreamReader::ProcessingInstruction) {
            if (open)
                open->plain = false;
        } else if (token == QXmlStreamReader::EndElement) {
            if (open && open->depth == qsizetype(stack.size())) {
                const auto caption = open->plain ? captionOf(stack.back(), open->attributes, open->text)
                                                 : std::nullopt;
                const qsizetype end = reader.characterOffset();
                // Offsets that do not frame the element (characters outside
                // the basic plane may be counted differently) cut nothing.
                const bool framed = open->start >= 0 && QStringView(source).mid(open->start).startsWith(u"<text") &&
                                    end > 0 && end <= source.size() && source[end - 1] == u'>';
                if (caption && framed) {
                    split.rest += QStringView(source).mid(cutFrom, open->start - cutFrom);
                    cutFrom = end;
                    if (!caption->text.isEmpty())
                        split.captions.push_back(*caption);
                }
                open.reset();
            }
            if (!stack.empty())
                stack.pop_back();
        }
        tokenStart = reader.characterOffset();
    }
    if (reader.hasError())
        return std::nullopt;
    split.rest += QStringView(source).mid(cutFrom);
    return split;
}

// The SVG text as characters; nothing for an encoding other than UTF-8
// (the file's own declaration would no longer match the cut text).
std::optional<QString> utf8Source(const QByteArray &data)
{
    QByteArray bytes = data;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return std::nullopt;
    static const QRegularExpression declared(QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)"));
    const auto match = declared.match(QString::fromLatin1(bytes.left(200)));
    if (match.hasMatch() && match.captured(1).compare(u"utf-8", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

} // namespace

PdfFormPicture::PdfFormPicture(std::shared_ptr<const PagePicture> picture) : m_picture(std::move(picture))
{
    if (!m_picture->isSvg())
        return;
    const auto source = utf8Source(m_picture->data());
    const auto split = source ? splitCaptions(*source) : std::nullopt;
    if (!split || split->captions.empty())
        return;
    // The picture stretches its view box over the target, with or without captions.
    const QSvgRenderer whole(m_picture->data());
    m_viewBox = whole.viewBoxF();
    auto rest = std::make_unique<QSvgRenderer>(split->rest.toUtf8());
    if (!rest->isValid() || m_viewBox.isEmpty())
        return;
    m_rest = std::move(rest);
    m_captions = split->captions;
}

PdfFormPicture::~PdfFormPicture() = default;

void PdfFormPicture::draw(QPainter &painter, const QRectF &target) const
{
    if (!m_rest) {
        m_picture->draw(painter, target);
        return;
    }
    m_rest->render(&painter, target);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / m_viewBox.width(), target.height() / m_viewBox.height());
    painter.translate(-m_viewBox.topLeft());
    const QTransform base = painter.transform();
    for (const Caption &caption : m_captions) {
        painter.setTransform(caption.transform * base);
        painter.translate(caption.baseline);
        painter.scale(caption.size / 100.0, caption.size / 100.0);
        painter.setFont(caption.font);
        painter.setPen(caption.colour);
        const double width = QFontMetricsF(caption.font).horizontalAdvance(caption.text);
        const double left = caption.anchor == Qt::AlignHCenter ? -width / 2
                            : caption.anchor == Qt::AlignRight ? -width
                                                               : 0.0;
        painter.drawText(QPointF(left, 0), caption.text);
    }
    painter.restore();
}

} // namespace kv
