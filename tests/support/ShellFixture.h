#pragma once
// A throw-away shell installation for tests: a temporary folder with a
// registry file pointing at it, and helpers to write its settings files.
// QRM_REGISTRY and QRM_ACP are set for the lifetime of the fixture.

#include <QTemporaryDir>

#include <string>
#include <string_view>

namespace kvtest {

class ShellFixture {
public:
    explicit ShellFixture(int systemCodePage = 936);
    ~ShellFixture();
    ShellFixture(const ShellFixture &) = delete;
    ShellFixture &operator=(const ShellFixture &) = delete;

    // Root of the temporary installation, ending in "/".
    std::string root() const;
    std::string clientDir() const { return root() + "client/"; }
    std::string serverDir() const { return root() + "server/"; }

    // Writes the registry key; empty values are left out.
    void writeRegistry(std::string_view clientPath, std::string_view serverPath, std::string_view profileType = {});
    // Writes a file below the root, creating its folders.
    void writeFile(const std::string &relativePath, std::string_view content);
    std::string readFile(const std::string &relativePath) const;

private:
    QTemporaryDir m_dir;
    std::string m_savedRegistry;
    std::string m_savedAcp;
    bool m_hadRegistry = false;
    bool m_hadAcp = false;
};

} // namespace kvtest
