#include "platform/report/PdfObjectFile.h"

#include "platform/report/PdfSyntax.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

namespace {

constexpr std::size_t kTailBytes = 1024;

[[noreturn]] void damaged(const std::string &why)
{
    throw std::runtime_error("the PDF file is damaged: " + why);
}

std::uint64_t parseNumber(std::string_view text, std::size_t &at)
{
    while (at < text.size() && std::strchr(" \r\n\t", text[at]))
        ++at;
    if (at >= text.size() || text[at] < '0' || text[at] > '9')
        damaged("a number is missing in the cross-reference table");
    std::uint64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value > (UINT64_MAX - 9) / 10)
            damaged("a number is too large");
        value = value * 10 + std::uint64_t(text[at] - '0');
    }
    return value;
}

// Where the data of a stream begins after "stream": one end of line.
std::size_t streamDataStart(std::string_view text, std::size_t keyword)
{
    std::size_t at = keyword + 6;
    if (at < text.size() && text[at] == '\r')
        ++at;
    if (at < text.size() && text[at] == '\n')
        ++at;
    return at;
}

} // namespace

PdfObjectFile::PdfObjectFile(const QString &fileName)
{
    m_descriptor = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (m_descriptor < 0)
        throw std::runtime_error("cannot open " + fileName.toStdString() + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(m_descriptor, &info) != 0) {
        ::close(m_descriptor);
        throw std::runtime_error("cannot read " + fileName.toStdString() + ": " + std::strerror(errno));
    }
    m_fileSize = std::uint64_t(info.st_size);
    try {
        readCrossReferences();
    } catch (...) {
        ::close(m_descriptor);
        throw;
    }
}

PdfObjectFile::~PdfObjectFile()
{
    ::close(m_descriptor);
}

std::string PdfObjectFile::readAt(std::uint64_t offset, std::size_t length) const
{
    std::string bytes(length, '\0');
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_descriptor, bytes.data() + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw std::runtime_error(std::string("cannot read the PDF file: ") + std::strerror(errno));
        if (got == 0)
            damaged("it ends early");
        done += std::size_t(got);
    }
    return bytes;
}

void PdfObjectFile::readCrossReferences()
{
    const std::uint64_t tailStart = m_fileSize > kTailBytes ? m_fileSize - kTailBytes : 0;
    const std::string tail = readAt(tailStart, std::size_t(m_fileSize - tailStart));
    const std::size_t startxref = tail.rfind("startxref");
    if (startxref == std::string::npos)
        damaged("no startxref");
    std::size_t at = startxref + 9;
    m_crossReferenceOffset = parseNumber(tail, at);
    if (m_crossReferenceOffset >= m_fileSize)
        damaged("the cross-reference table lies outside the file");
    const std::string table = readAt(m_crossReferenceOffset, std::size_t(m_fileSize - m_crossReferenceOffset));
    if (table.compare(0, 4, "xref") != 0)
        damaged("no classic cross-reference table");
    at = 4;
    for (;;) {
        while (at < table.size() && std::strchr(" \r\n\t", table[at]))
            ++at;
        if (table.compare(at, 7, "trailer") == 0)
            break;
        const std::uint64_t first = parseNumber(table, at);
        const std::uint64_t count = parseNumber(table, at);
        if (first + count > 10'000'000)
            damaged("too many objects");
        if (m_offsets.size() < first + count)
            m_offsets.resize(std::size_t(first + count), 0);
        for (std::uint64_t entry = 0; entry < count; ++entry) {
            const std::uint64_t offset = parseNumber(table, at);
            parseNumber(table, at); // generation
            while (at < table.size() && table[at] == ' ')
                ++at;
            if (at >= table.size())
                damaged("the cross-reference table ends early");
            const char kind = table[at++];
            if (kind == 'n' && offset >= m_crossReferenceOffset)
                damaged("an object lies behind the cross-reference table");
            m_offsets[std::size_t(first + entry)] = kind == 'n' && first + entry > 0 ? offset : 0;
        }
    }
    const std::size_t open = table.find("<<", at);
    const std::size_t close = table.rfind(">>", table.find("startxref", at));
    if (open == std::string::npos || close == std::string::npos || close < open)
        damaged("no trailer");
    m_trailer = table.substr(open, close + 2 - open);
    // Each object ends, at the latest, where the next one in the file begins.
    std::vector<std::uint64_t> starts;
    for (std::uint64_t offset : m_offsets)
        if (offset)
            starts.push_back(offset);
    starts.push_back(m_crossReferenceOffset);
    std::sort(starts.begin(), starts.end());
    m_ends.assign(m_offsets.size(), 0);
    for (std::size_t object = 0; object < m_offsets.size(); ++object)
        if (m_offsets[object])
            m_ends[object] = *std::upper_bound(starts.begin(), starts.end(), m_offsets[object]);
}

bool PdfObjectFile::exists(int object) const
{
    return object > 0 && object < size() && m_offsets[std::size_t(object)] != 0;
}

std::uint64_t PdfObjectFile::extentEnd(int object) const
{
    return m_ends[std::size_t(object)];
}

std::string PdfObjectFile::raw(int object) const
{
    if (!exists(object))
        damaged("object " + std::to_string(object) + " is missing");
    const std::uint64_t start = m_offsets[std::size_t(object)];
    std::string bytes = readAt(start, std::size_t(extentEnd(object) - start));
    const std::size_t end = bytes.rfind("endobj");
    if (end == std::string::npos)
        damaged("object " + std::to_string(object) + " does not end");
    bytes.resize(end + 6);
    const std::string header = std::to_string(object) + " 0 obj";
    if (bytes.compare(0, header.size(), header) != 0)
        damaged("object " + std::to_string(object) + " is not where the table says");
    return bytes;
}

std::uint64_t PdfObjectFile::streamLength(std::string_view dictionary) const
{
    const std::string length = pdf_syntax::Dictionary::parse(dictionary).value("/Length");
    const int indirect = pdf_syntax::reference(length);
    std::string number = length;
    if (indirect) {
        const Object value = read(indirect);
        if (value.isStream)
            damaged("a stream length is a stream");
        number = value.value;
    }
    std::size_t at = 0;
    return parseNumber(number, at);
}

PdfObjectFile::Object PdfObjectFile::read(int object) const
{
    const std::string bytes = raw(object);
    const std::size_t body = bytes.find("obj") + 3;
    const std::size_t end = bytes.size() - 6;
    const std::string_view text = std::string_view(bytes).substr(body, end - body);
    Object read;
    std::size_t after = 0;
    try {
        after = pdf_syntax::valueEnd(text);
    } catch (const pdf_syntax::SyntaxError &error) {
        damaged("object " + std::to_string(object) + ": " + error.what());
    }
    std::size_t keyword = text.find_first_not_of(" \r\n\t", after);
    if (keyword == std::string_view::npos || text.compare(keyword, 6, "stream") != 0) {
        read.value = std::string(text);
        return read;
    }
    read.isStream = true;
    read.value = std::string(text.substr(0, after));
    const std::size_t data = streamDataStart(text, keyword);
    const std::uint64_t length = streamLength(read.value);
    if (data + length > text.size() || text.find("endstream", data + length) == std::string_view::npos)
        damaged("the stream of object " + std::to_string(object) + " does not match its length");
    read.streamData = std::string(text.substr(data, std::size_t(length)));
    return read;
}

} // namespace kv
