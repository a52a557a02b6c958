#include "support/ShellFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kvtest {

namespace {

void remember(const char *name, std::string &saved, bool &had)
{
    if (const char *value = std::getenv(name)) {
        saved = value;
        had = true;
    }
}

void restore(const char *name, const std::string &saved, bool had)
{
    if (had)
        setenv(name, saved.c_str(), 1);
    else
        unsetenv(name);
}

} // namespace

ShellFixture::ShellFixture(int systemCodePage)
{
    remember("QRM_REGISTRY", m_savedRegistry, m_hadRegistry);
    remember("QRM_ACP", m_savedAcp, m_hadAcp);
    setenv("QRM_REGISTRY", (root() + "registry.ini").c_str(), 1);
    setenv("QRM_ACP", std::to_string(systemCodePage).c_str(), 1);
    std::filesystem::create_directories(clientDir());
    std::filesystem::create_directories(serverDir());
}

ShellFixture::~ShellFixture()
{
    restore("QRM_REGISTRY", m_savedRegistry, m_hadRegistry);
    restore("QRM_ACP", m_savedAcp, m_hadAcp);
}

std::string ShellFixture::root() const
{
    return m_dir.path().toStdString() + "/";
}

void ShellFixture::writeRegistry(std::string_view clientPath, std::string_view serverPath, std::string_view profileType)
{
    std::string text = "[Software\\QRM\\Marshal]\n";
    if (!clientPath.empty())
        text += "ClientPath=" + std::string(clientPath) + "\n";
    if (!serverPath.empty())
        text += "ServerPath=" + std::string(serverPath) + "\n";
    if (!profileType.empty())
        text += "ProfileType=" + std::string(profileType) + "\n";
    writeFile("registry.ini", text);
}

void ShellFixture::writeFile(const std::string &relativePath, std::string_view content)
{
    const std::filesystem::path path = root() + relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    // Settings may hold the access token, which must be the owner's alone.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

std::string ShellFixture::readFile(const std::string &relativePath) const
{
    std::ifstream stream(root() + relativePath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

} // namespace kvtest
