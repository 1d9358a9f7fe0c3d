// Folder scanner.
#include "shell/seFolder.h"

#include "shell/seLibrary.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace {

constexpr char kSeparator = '/';
constexpr char kForeignSeparator = '\\';  // stored paths may come from the other platform
constexpr char kPatternSeparator = ' ';
constexpr const char* kAllNamesPattern = "*.*";  // the other platform's "every name"
constexpr size_t kExtensionLength = 4;            // ".jpg", ".bmp", ".scr"

std::string upper(std::string text)
{
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Every entry name of folder except "." and "..", sorted by name; empty when the folder
// cannot be listed.
std::vector<std::string> listFolder(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isDotEntry(entry->d_name))
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

void seFolder::SetFolder(const std::string& path)
{
    m_folder = path;
    if (!m_folder.empty() && (m_folder.back() == kSeparator || m_folder.back() == kForeignSeparator))
        m_folder.pop_back();
}

std::string seFolder::FullPath(const std::string& name) const
{
    return m_folder + kSeparator + name;
}

int seFolder::Scan(const std::string& patterns)
{
    std::vector<std::string> pieces;
    seLibrary::Split(patterns, kPatternSeparator, pieces);
    const std::vector<std::string> entries = listFolder(m_folder);
    int added = 0;
    for (const auto& piece : pieces) {
        if (piece.empty())
            continue;
        const std::string pattern = piece == kAllNamesPattern ? std::string("*") : piece;
        for (const auto& name : entries) {
            if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
                m_names.push_back(name);
                ++added;
            }
        }
    }
    if (!m_names.empty())
        m_position = 0;
    return added;
}

int seFolder::ScanFolders()
{
    int added = 0;
    for (const auto& name : listFolder(m_folder)) {
        if (name.front() == '.')
            continue;
        struct stat st {};
        if (::stat(FullPath(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            m_names.push_back(name);
            ++added;
        }
    }
    if (!m_names.empty())
        m_position = 0;
    return added;
}

std::string seFolder::ShownText(const std::string& name, bool keepExtension) const
{
    if (!keepExtension && name.size() >= kExtensionLength)
        return name.substr(0, name.size() - kExtensionLength);
    return name;
}

int seFolder::FillListBox(ListBox& box, bool keepExtension, bool allowDuplicates) const
{
    for (const auto& name : m_names) {
        const std::string shown = ShownText(name, keepExtension);
        if (allowDuplicates || box.findExact(shown) < 0)
            box.add(shown);
    }
    return int(m_names.size());
}

void seFolder::RemoveFromListBox(ListBox& box, bool keepExtension) const
{
    for (const auto& name : m_names) {
        const int i = box.findExact(ShownText(name, keepExtension));
        if (i >= 0)
            box.remove(i);
    }
}

std::string seFolder::FindName(const std::string& name) const
{
    const std::string wanted = upper(name);
    for (const auto& stored : m_names) {
        if (upper(stored) == wanted)
            return stored;
    }
    return name;
}

std::string seFolder::NextPath(bool noWrap, std::string& name)
{
    if (m_names.empty())
        return {};
    if (m_position >= m_names.size()) {
        if (noWrap)
            return {};
        m_position = 0;
    }
    name = m_names[m_position++];
    return FullPath(name);
}

std::string seFolder::NextPath(bool noWrap)
{
    std::string name;
    return NextPath(noWrap, name);
}

void seFolder::AllPaths(std::vector<std::string>& out) const
{
    for (const auto& name : m_names)
        out.push_back(FullPath(name));
}
