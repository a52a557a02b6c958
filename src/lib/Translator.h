#pragma once
// TTranslator binds the conversion functions of the language library
// "Kvlanguage.so": simplified (GB, code page 936) <-> traditional (Big5,
// code page 950). The library is looked for next to the module or program
// this code is linked into, then by its plain name through the loader's
// search path.

#include <stdexcept>
#include <string>

namespace kv {

class ETranslator : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TTranslator {
public:
    // Loads the library. Raises ETranslator "Load Library %s Error!" when it
    // cannot be loaded and "Get Library Procedure Address Error!" when a
    // conversion function or the release function is missing.
    TTranslator();
    ~TTranslator();
    TTranslator(const TTranslator &) = delete;
    TTranslator &operator=(const TTranslator &) = delete;

    // Raise ETranslator for text that is not UTF-8 or a failed conversion.
    std::string GBtoBIG5(const std::string &text) const;
    std::string BIG5toGB(const std::string &text) const;

    // The file the library was loaded from (for diagnostics).
    const std::string &libraryPath() const { return m_libraryPath; }

    static constexpr const char *kLibraryName = "Kvlanguage.so";

private:
    using ConvertFunc = char *(*)(const char *);
    using FreeFunc = void (*)(char *);

    std::string convert(ConvertFunc func, const char *funcName, const std::string &text) const;

    void *m_handle = nullptr;
    std::string m_libraryPath;
    ConvertFunc m_gbToBig5 = nullptr;
    ConvertFunc m_big5ToGb = nullptr;
    FreeFunc m_freeText = nullptr;
};

// The directory ("/"-terminated) of the module or program this library is
// linked into; empty when it cannot be told.
std::string moduleDirectory();

} // namespace kv
