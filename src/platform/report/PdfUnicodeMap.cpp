#include "platform/report/PdfUnicodeMap.h"

#include <QFont>
#include <QRawFont>
#include <QRegularExpression>
#include <QString>

#include <map>
#include <mutex>

namespace kv::pdf_unicode_map {

namespace {

constexpr char16_t kRadicalsFirst = 0x2E80; // CJK Radicals Supplement, then Kangxi Radicals
constexpr char16_t kRadicalsLast = 0x2FDF;

bool isRadical(char16_t code)
{
    return code >= kRadicalsFirst && code <= kRadicalsLast;
}

// Radical -> ideograph by shared glyphs in the installed CJK faces.
std::map<char16_t, char16_t> buildEquivalents()
{
    QString ideographs;
    for (char16_t code = 0x4E00; code <= 0x9FFF; ++code)
        ideographs += QChar(code);
    QString radicals;
    for (char16_t code = kRadicalsFirst; code <= kRadicalsLast; ++code)
        radicals += QChar(code);
    std::map<char16_t, char16_t> equivalents;
    for (const char *family : {"Noto Sans CJK SC", "Noto Serif CJK SC", "AR PL UMing CN"}) {
        QFont font(QString::fromLatin1(family));
        font.setPixelSize(100);
        const QRawFont raw = QRawFont::fromFont(font);
        if (!raw.isValid())
            continue;
        std::map<quint32, char16_t> byGlyph;
        const QList<quint32> glyphs = raw.glyphIndexesForString(ideographs);
        for (qsizetype index = glyphs.size() - 1; index >= 0; --index) {
            if (glyphs[index] != 0)
                byGlyph[glyphs[index]] = ideographs[index].unicode();
        }
        const QList<quint32> radicalGlyphs = raw.glyphIndexesForString(radicals);
        for (qsizetype index = 0; index < radicalGlyphs.size(); ++index) {
            const auto found = byGlyph.find(radicalGlyphs[index]);
            if (radicalGlyphs[index] != 0 && found != byGlyph.end())
                equivalents.try_emplace(radicals[index].unicode(), found->second);
        }
    }
    return equivalents;
}

} // namespace

char16_t ideographOf(char16_t radical)
{
    if (!isRadical(radical))
        return 0;
    static std::once_flag once;
    static std::map<char16_t, char16_t> equivalents;
    std::call_once(once, [] { equivalents = buildEquivalents(); });
    const auto found = equivalents.find(radical);
    if (found != equivalents.end())
        return found->second;
    const QString decomposed = QString(QChar(radical)).normalized(QString::NormalizationForm_KC);
    return decomposed.size() == 1 && decomposed[0] != QChar(radical) ? decomposed[0].unicode() : 0;
}

QByteArray withIdeographs(const QByteArray &cmap)
{
    // Destinations are the second hex code of a bfchar pair and the codes
    // in a bfrange's array; a bfrange with one destination is left alone
    // unless it maps a single code.
    static const QRegularExpression section(QStringLiteral("begin(bfchar|bfrange)(.*?)end\\1"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression pair(QStringLiteral("(<[0-9A-Fa-f]+>\\s*)<([0-9A-Fa-f]+)>"));
    static const QRegularExpression single(QStringLiteral("<([0-9A-Fa-f]+)>\\s*<\\1>\\s*<([0-9A-Fa-f]+)>"));
    static const QRegularExpression array(QStringLiteral("\\[[^\\]]*\\]"));
    static const QRegularExpression code(QStringLiteral("<([0-9A-Fa-f]{4})>"));
    const auto replaceCodes = [](QString text, const QRegularExpression &pattern, int group) {
        QString result;
        qsizetype at = 0;
        for (auto it = pattern.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            if (match.capturedLength(group) != 4) // more than one character
                continue;
            const char16_t value = char16_t(match.captured(group).toUInt(nullptr, 16));
            const char16_t ideograph = ideographOf(value);
            if (ideograph == 0)
                continue;
            result += QStringView(text).mid(at, match.capturedStart(group) - at);
            result += QStringLiteral("%1").arg(uint(ideograph), 4, 16, QLatin1Char('0')).toUpper();
            at = match.capturedEnd(group);
        }
        return result + text.mid(at);
    };
    const QString text = QString::fromLatin1(cmap);
    QString result;
    qsizetype at = 0;
    bool changed = false;
    for (auto it = section.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        QString body = match.captured(2);
        if (match.captured(1) == u"bfchar") {
            body = replaceCodes(body, pair, 2);
        } else {
            body = replaceCodes(body, single, 2);
            QString arrays;
            qsizetype from = 0;
            for (auto found = array.globalMatch(body); found.hasNext();) {
                const auto list = found.next();
                arrays += QStringView(body).mid(from, list.capturedStart() - from);
                arrays += replaceCodes(list.captured(), code, 1);
                from = list.capturedEnd();
            }
            body = arrays + body.mid(from);
        }
        if (body == match.captured(2))
            continue;
        changed = true;
        result += QStringView(text).mid(at, match.capturedStart(2) - at);
        result += body;
        at = match.capturedEnd(2);
    }
    return changed ? (result + text.mid(at)).toLatin1() : cmap;
}

} // namespace kv::pdf_unicode_map
