#pragma once
// kv::PdfObjectFile: reads a PDF file with a classic cross-reference table
// one object at a time, as a rewrite that streams the file needs: only the
// table of object positions stays in memory, each object is read from the
// file when it is asked for.

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class PdfObjectFile {
public:
    // One object as written: the value or the stream's dictionary, and the
    // stream's data (empty for an object without one).
    struct Object {
        std::string value;
        std::string streamData;
        bool isStream = false;
    };

    // Throws std::runtime_error when the file cannot be read or has no
    // readable cross-reference table.
    explicit PdfObjectFile(const QString &fileName);
    ~PdfObjectFile();

    // Objects are numbered 1 .. size() - 1; a number without an object is free.
    int size() const { return int(m_offsets.size()); }
    bool exists(int object) const;
    Object read(int object) const;
    // The bytes of the object as written, "N 0 obj" to "endobj".
    std::string raw(int object) const;
    std::string trailer() const { return m_trailer; }

private:
    void readCrossReferences();
    std::string readAt(std::uint64_t offset, std::size_t length) const;
    std::uint64_t extentEnd(int object) const;
    std::uint64_t streamLength(std::string_view dictionary) const;

    int m_descriptor = -1;
    std::uint64_t m_fileSize = 0;
    std::uint64_t m_crossReferenceOffset = 0;
    std::vector<std::uint64_t> m_offsets; // by object number; 0: free
    std::vector<std::uint64_t> m_ends;    // where each object's bytes end at the latest
    std::string m_trailer;
};

} // namespace kv
