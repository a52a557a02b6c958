#include "platform/report/PdfFormSplice.h"

#include "platform/report/PdfObjectFile.h"
#include "platform/report/PdfSyntax.h"
#include "platform/report/PdfUnicodeMap.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <zlib.h>

namespace kv {

namespace {

using pdf_syntax::Dictionary;
using pdf_syntax::numberText;
using pdf_syntax::reference;
using pdf_syntax::referenceText;

std::string formName(int form)
{
    return "/KvForm" + std::to_string(form + 1);
}

// The output file and the position of every object written into it.
class OutputPdf {
public:
    explicit OutputPdf(const QString &fileName) : m_name(fileName.toStdString())
    {
        m_file = std::fopen(QFile::encodeName(fileName).constData(), "wb");
        if (!m_file)
            fail();
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
        put("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    }
    ~OutputPdf()
    {
        if (m_file)
            std::fclose(m_file);
    }

    void object(int number, std::string_view body)
    {
        mark(number);
        put(std::to_string(number) + " 0 obj\n");
        put(body);
        put("\nendobj\n");
    }
    void stream(int number, const std::string &dictionary, std::string_view data)
    {
        mark(number);
        put(std::to_string(number) + " 0 obj\n" + dictionary + "\nstream\n");
        put(data);
        put("\nendstream\nendobj\n");
    }
    // An object copied as it was written ("N 0 obj" to "endobj").
    void raw(int number, std::string_view bytes)
    {
        mark(number);
        put(bytes);
        put("\n");
    }

    void finish(int size, const std::string &trailer)
    {
        const std::uint64_t table = m_written;
        put("xref\n0 " + std::to_string(size) + "\n0000000000 65535 f \n");
        m_offsets.resize(std::size_t(size), 0);
        char entry[24];
        for (int number = 1; number < size; ++number) {
            const std::uint64_t offset = m_offsets[std::size_t(number)];
            std::snprintf(entry, sizeof entry, "%010llu %05d %c \n", static_cast<unsigned long long>(offset),
                          offset ? 0 : 65535, offset ? 'n' : 'f');
            put(entry);
        }
        put("trailer\n" + trailer + "\nstartxref\n" + std::to_string(table) + "\n%%EOF\n");
        if (std::fflush(m_file) != 0 || std::ferror(m_file))
            fail();
        const int closed = std::fclose(m_file);
        m_file = nullptr;
        if (closed != 0)
            fail();
    }

private:
    void mark(int number)
    {
        if (m_offsets.size() <= std::size_t(number))
            m_offsets.resize(std::size_t(number) + 1, 0);
        m_offsets[std::size_t(number)] = m_written;
    }
    void put(std::string_view bytes)
    {
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
            fail();
        m_written += bytes.size();
    }
    [[noreturn]] void fail() const
    {
        throw std::runtime_error("cannot write " + m_name + ": " + std::strerror(errno));
    }

    std::string m_name;
    std::FILE *m_file = nullptr;
    std::uint64_t m_written = 0;
    std::vector<std::uint64_t> m_offsets;
};

std::string inflated(const std::string &data)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw std::runtime_error("cannot decompress a character map");
    std::string out;
    char buffer[16384];
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = uInt(data.size());
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
        if (out.size() > (64u << 20))
            status = Z_DATA_ERROR;
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("a character map of the PDF engine cannot be decompressed");
    return out;
}

// What the first pass learns about Qt's file.
struct Layout {
    int catalog = 0, info = 0, pageTree = 0;
    struct Page {
        int object = 0, contents = 0;
        std::string resources; // a reference or an inline dictionary
        double width = 0, height = 0;
    };
    std::vector<Page> sheets, forms;
    std::set<int> unicodeMaps;
};

Layout::Page readPage(const PdfObjectFile &file, int object)
{
    const Dictionary page = Dictionary::parse(file.read(object).value);
    if (pdf_syntax::name(page.value("/Type")) != "Page")
        throw std::runtime_error("the PDF engine wrote a page tree of more than one level");
    Layout::Page read;
    read.object = object;
    read.contents = reference(page.value("/Contents"));
    read.resources = page.value("/Resources");
    const std::vector<double> box = pdf_syntax::numbers(page.value("/MediaBox"));
    if (box.size() != 4 || read.contents == 0)
        throw std::runtime_error("a page of the PDF engine has no media box or contents");
    read.width = box[2] - box[0];
    read.height = box[3] - box[1];
    return read;
}

Layout readLayout(const PdfObjectFile &file, int formPages)
{
    Layout layout;
    const Dictionary trailer = Dictionary::parse(file.trailer());
    layout.catalog = reference(trailer.value("/Root"));
    layout.info = reference(trailer.value("/Info"));
    layout.pageTree = reference(Dictionary::parse(file.read(layout.catalog).value).value("/Pages"));
    const std::vector<int> kids = pdf_syntax::references(Dictionary::parse(file.read(layout.pageTree).value).value("/Kids"));
    if (int(kids.size()) < formPages)
        throw std::runtime_error("the PDF engine wrote fewer pages than forms");
    for (std::size_t index = 0; index < kids.size(); ++index)
        (int(index) < int(kids.size()) - formPages ? layout.sheets : layout.forms).push_back(readPage(file, kids[index]));
    for (int object = 1; object < file.size(); ++object) {
        if (!file.exists(object))
            continue;
        const PdfObjectFile::Object read = file.read(object);
        if (read.isStream || read.value.find("/ToUnicode") == std::string::npos)
            continue;
        const Dictionary font = Dictionary::parse(read.value);
        if (pdf_syntax::name(font.value("/Type")) == "Font" && reference(font.value("/ToUnicode")))
            layout.unicodeMaps.insert(reference(font.value("/ToUnicode")));
    }
    return layout;
}

// The objects the splice adds, numbered after Qt's, and which forms each
// sheet and each shared resource dictionary name.
struct SplicePlan {
    std::vector<int> placementObjects;              // by sheet; 0 for a sheet without forms
    std::vector<std::set<int>> sheetForms;          // by sheet
    std::map<int, std::set<int>> formsOfResources;  // resource dictionary object -> forms
    int outlineRoot = 0;                            // 0 without bookmarks
    std::vector<int> outlineItems;                  // by bookmark
    int size = 0;                                   // objects of the output, 0 included
};

SplicePlan planSplice(const Layout &layout, const std::vector<std::vector<PdfFormSplice::Placement>> &placements,
                      std::size_t bookmarks, int firstNewObject)
{
    SplicePlan plan;
    int next = firstNewObject;
    plan.placementObjects.assign(placements.size(), 0);
    plan.sheetForms.resize(placements.size());
    for (std::size_t sheet = 0; sheet < placements.size(); ++sheet) {
        if (placements[sheet].empty())
            continue;
        plan.placementObjects[sheet] = next++;
        for (const PdfFormSplice::Placement &placement : placements[sheet]) {
            if (placement.form < 0 || placement.form >= int(layout.forms.size()))
                throw std::runtime_error("a sheet places a form that was not drawn");
            plan.sheetForms[sheet].insert(placement.form);
            if (const int resources = reference(layout.sheets[sheet].resources))
                plan.formsOfResources[resources].insert(placement.form);
        }
    }
    // The outline: a flat list of entries, one per bookmark.
    if (bookmarks > 0) {
        plan.outlineRoot = next++;
        for (std::size_t index = 0; index < bookmarks; ++index)
            plan.outlineItems.push_back(next++);
    }
    plan.size = next;
    return plan;
}

// Writes the objects of Qt's file with what the document needs changed.
class Splicer {
public:
    Splicer(const PdfObjectFile &file, const Layout &layout, const SplicePlan &plan,
            const PdfFormSplice::Information &information, OutputPdf &out)
        : m_file(file), m_layout(layout), m_plan(plan), m_information(information), m_out(out)
    {
        for (std::size_t index = 0; index < layout.forms.size(); ++index) {
            m_formPageObjects.insert(layout.forms[index].object);
            m_formContents[layout.forms[index].contents] = int(index);
        }
        for (std::size_t index = 0; index < layout.sheets.size(); ++index)
            m_sheetIndex[layout.sheets[index].object] = int(index);
    }

    void copyAll()
    {
        for (int object = 1; object < m_file.size(); ++object)
            if (m_file.exists(object))
                copy(object);
    }

private:
    void copy(int object)
    {
        if (m_formPageObjects.count(object)) {
            m_out.object(object, "null");
            return;
        }
        if (const auto form = m_formContents.find(object); form != m_formContents.end())
            return writeFormObject(object, m_layout.forms[std::size_t(form->second)]);
        if (object == m_layout.pageTree)
            return writePageTree(object);
        if (object == m_layout.catalog)
            return writeCatalog(object);
        if (object == m_layout.info)
            return writeInformation(object);
        if (const auto sheet = m_sheetIndex.find(object); sheet != m_sheetIndex.end())
            return writeSheet(object, sheet->second);
        if (const auto resources = m_plan.formsOfResources.find(object); resources != m_plan.formsOfResources.end())
            return writeResources(object, resources->second);
        if (m_layout.unicodeMaps.count(object))
            return writeUnicodeMap(object);
        const std::string raw = m_file.raw(object);
        if (raw.find("/Type /Font") != std::string::npos && raw.find("/BaseFont") != std::string::npos &&
            raw.find("stream") == std::string::npos)
            return writeFont(object);
        m_out.raw(object, raw);
    }

    void writeCatalog(int object)
    {
        Dictionary catalog = Dictionary::parse(m_file.read(object).value);
        if (m_plan.outlineRoot) {
            catalog.set("/Outlines", referenceText(m_plan.outlineRoot));
            catalog.set("/PageMode", "/UseOutlines");
        }
        m_out.object(object, catalog.text());
    }

    void writeInformation(int object)
    {
        Dictionary info = Dictionary::parse(m_file.read(object).value);
        if (!m_information.author.isEmpty())
            info.set("/Author", pdf_syntax::textString(m_information.author));
        if (!m_information.subject.isEmpty())
            info.set("/Subject", pdf_syntax::textString(m_information.subject));
        if (!m_information.keywords.isEmpty())
            info.set("/Keywords", pdf_syntax::textString(m_information.keywords));
        m_out.object(object, info.text());
    }

    void writePageTree(int object)
    {
        Dictionary tree = Dictionary::parse(m_file.read(object).value);
        std::string kids = "[";
        for (const Layout::Page &sheet : m_layout.sheets)
            kids += "\n" + referenceText(sheet.object);
        tree.set("/Kids", kids + "\n]");
        tree.set("/Count", std::to_string(m_layout.sheets.size()));
        m_out.object(object, tree.text());
    }

    void writeFormObject(int object, const Layout::Page &form)
    {
        const PdfObjectFile::Object content = m_file.read(object);
        Dictionary dictionary = Dictionary::parse(content.value);
        dictionary.set("/Type", "/XObject");
        dictionary.set("/Subtype", "/Form");
        dictionary.set("/BBox", "[0 0 " + numberText(form.width) + " " + numberText(form.height) + "]");
        dictionary.set("/Resources", form.resources);
        dictionary.set("/Length", std::to_string(content.streamData.size()));
        m_out.stream(object, dictionary.text(), content.streamData);
    }

    void writeSheet(int object, int sheet)
    {
        const int placement = m_plan.placementObjects[std::size_t(sheet)];
        if (placement == 0) {
            m_out.raw(object, m_file.raw(object));
            return;
        }
        Dictionary page = Dictionary::parse(m_file.read(object).value);
        page.set("/Contents", "[" + referenceText(placement) + " " + page.value("/Contents") + "]");
        const std::string resources = page.value("/Resources");
        if (!reference(resources))
            page.set("/Resources", withForms(resources, m_plan.sheetForms.at(sheet)));
        m_out.object(object, page.text());
    }

    void writeResources(int object, const std::set<int> &forms)
    {
        m_out.object(object, withForms(m_file.read(object).value, forms));
    }

    std::string withForms(const std::string &resourcesText, const std::set<int> &forms) const
    {
        Dictionary resources = Dictionary::parse(resourcesText);
        const std::string existing = resources.value("/XObject");
        if (reference(existing))
            throw std::runtime_error("the PDF engine wrote page resources this writer does not know");
        Dictionary xobjects = existing.empty() ? Dictionary::parse("<<>>") : Dictionary::parse(existing);
        for (int form : forms)
            xobjects.set(formName(form), referenceText(m_layout.forms[std::size_t(form)].contents));
        resources.set("/XObject", xobjects.text());
        return resources.text();
    }

    void writeUnicodeMap(int object)
    {
        const PdfObjectFile::Object map = m_file.read(object);
        Dictionary dictionary = Dictionary::parse(map.value);
        const std::string filter = pdf_syntax::name(dictionary.value("/Filter"));
        if (!filter.empty() && filter != "FlateDecode") {
            m_out.raw(object, m_file.raw(object));
            return;
        }
        const std::string plain = filter.empty() ? map.streamData : inflated(map.streamData);
        const QByteArray repaired =
            pdf_unicode_map::withIdeographs(QByteArray::fromRawData(plain.data(), qsizetype(plain.size())));
        dictionary.remove("/Filter");
        dictionary.remove("/DecodeParms");
        dictionary.set("/Length", std::to_string(repaired.size()));
        m_out.stream(object, dictionary.text(), std::string_view(repaired.constData(), std::size_t(repaired.size())));
    }

    // Qt tags the descriptor of an embedded subset but not the font's name;
    // readers (and pdffonts) look at the name.
    void writeFont(int object)
    {
        Dictionary font = Dictionary::parse(m_file.read(object).value);
        if (pdf_syntax::name(font.value("/Type")) != "Font") {
            m_out.raw(object, m_file.raw(object));
            return;
        }
        const std::string subset = subsetName(font);
        if (!subset.empty())
            font.set("/BaseFont", "/" + subset);
        m_out.object(object, font.text());
    }

    std::string subsetName(const Dictionary &font) const
    {
        int descriptor = reference(font.value("/FontDescriptor"));
        if (!descriptor && font.has("/DescendantFonts")) {
            const std::vector<int> descendants = pdf_syntax::references(font.value("/DescendantFonts"));
            if (descendants.size() == 1)
                descriptor =
                    reference(Dictionary::parse(m_file.read(descendants.front()).value).value("/FontDescriptor"));
        }
        if (!descriptor)
            return {};
        const Dictionary found = Dictionary::parse(m_file.read(descriptor).value);
        const std::string name = pdf_syntax::name(found.value("/FontName"));
        const bool embedded = found.has("/FontFile2") || found.has("/FontFile3") || found.has("/FontFile");
        const bool tagged = name.size() > 7 && name[6] == '+';
        return embedded && tagged ? name : std::string();
    }

    const PdfObjectFile &m_file;
    const Layout &m_layout;
    const SplicePlan &m_plan;
    const PdfFormSplice::Information &m_information;
    OutputPdf &m_out;
    std::set<int> m_formPageObjects;
    std::map<int, int> m_formContents; // contents object -> form index
    std::map<int, int> m_sheetIndex;   // page object -> sheet index
};

std::string placementContent(const std::vector<PdfFormSplice::Placement> &placements, const Layout &layout,
                             double sheetHeight)
{
    std::string content;
    for (const PdfFormSplice::Placement &placement : placements) {
        const double bottom = sheetHeight - placement.top - layout.forms[std::size_t(placement.form)].height;
        content += "q 1 0 0 1 " + numberText(placement.left) + " " + numberText(bottom) + " cm " +
                   formName(placement.form) + " Do Q\n";
    }
    return content;
}

void writePlacements(OutputPdf &out, const Layout &layout, const SplicePlan &plan,
                     const std::vector<std::vector<PdfFormSplice::Placement>> &placements)
{
    for (std::size_t sheet = 0; sheet < placements.size(); ++sheet) {
        if (!plan.placementObjects[sheet])
            continue;
        const std::string content = placementContent(placements[sheet], layout, layout.sheets[sheet].height);
        out.stream(plan.placementObjects[sheet], "<< /Length " + std::to_string(content.size()) + " >>", content);
    }
}

void writeOutline(OutputPdf &out, const Layout &layout, const SplicePlan &plan,
                  const std::vector<PdfFormSplice::Bookmark> &bookmarks)
{
    const std::vector<int> &items = plan.outlineItems;
    out.object(plan.outlineRoot, "<< /Type /Outlines /First " + referenceText(items.front()) + " /Last " +
                                     referenceText(items.back()) + " /Count " + std::to_string(items.size()) + " >>");
    for (std::size_t index = 0; index < bookmarks.size(); ++index) {
        const PdfFormSplice::Bookmark &bookmark = bookmarks[index];
        const Layout::Page &page = layout.sheets[std::size_t(std::clamp(bookmark.sheet, 1, int(layout.sheets.size())) - 1)];
        std::string item =
            "<< /Title " + pdf_syntax::textString(bookmark.title) + " /Parent " + referenceText(plan.outlineRoot);
        if (index > 0)
            item += " /Prev " + referenceText(items[index - 1]);
        if (index + 1 < items.size())
            item += " /Next " + referenceText(items[index + 1]);
        // To the top of the sheet, at the zoom the reader has.
        item += " /Dest [" + referenceText(page.object) + " /XYZ 0 " + numberText(page.height) + " null] >>";
        out.object(items[index], item);
    }
}

} // namespace

void PdfFormSplice::write(const QString &qtFile, const QString &output) const
{
    const PdfObjectFile file(qtFile);
    const Layout layout = readLayout(file, m_formPages);
    if (layout.sheets.size() != m_placements.size())
        throw std::runtime_error("the PDF engine wrote " + std::to_string(layout.sheets.size()) + " sheets instead of " +
                                 std::to_string(m_placements.size()));
    const SplicePlan plan = planSplice(layout, m_placements, m_bookmarks.size(), file.size());
    OutputPdf out(output);
    Splicer(file, layout, plan, m_information, out).copyAll();

    writePlacements(out, layout, plan, m_placements);
    if (plan.outlineRoot)
        writeOutline(out, layout, plan, m_bookmarks);
    Dictionary trailer = Dictionary::parse(file.trailer());
    trailer.set("/Size", std::to_string(plan.size));
    trailer.remove("/Prev");
    out.finish(plan.size, trailer.text());
}

} // namespace kv
