// Folder scanner: a folder path, the names found in it (by pattern or sub-folders) and a
// current position for walking the full paths one by one.
#pragma once

#include "shell/ListBox.h"

#include <string>
#include <vector>

class seFolder {
public:
    seFolder() = default;
    explicit seFolder(const std::string& path) { SetFolder(path); }
    virtual ~seFolder() = default;

    // Stores path without one trailing "/" (or "\\").
    void SetFolder(const std::string& path);
    const std::string& Folder() const { return m_folder; }

    // Patterns separated by blanks, with "*" and "?" (letter case ignored; "*.*" matches
    // every name). Appends the matching entry names (files and folders, sorted by name per
    // pattern); positions at the first name. Returns how many were added; a folder that
    // cannot be listed adds nothing.
    int Scan(const std::string& patterns);
    // Appends the sub-folders whose names do not start with "."; positions at the first.
    int ScanFolders();

    // Adds each name (without its last four characters unless keepExtension, for names of
    // at least four characters) to box, skipping texts already there unless
    // allowDuplicates. Returns the number of names.
    int FillListBox(ListBox& box, bool keepExtension, bool allowDuplicates) const;
    // Deletes the exact match of each name's shown text from box.
    void RemoveFromListBox(ListBox& box, bool keepExtension) const;

    // The stored spelling of name compared without letter case; name itself when absent.
    std::string FindName(const std::string& name) const;
    // The next full path (folder "/" name) and its name, advancing. Past the end: "" when
    // noWrap, else the walk starts again at the first name. "" for an empty list.
    std::string NextPath(bool noWrap, std::string& name);
    std::string NextPath(bool noWrap);
    // Appends every full path to out.
    void AllPaths(std::vector<std::string>& out) const;

    const std::vector<std::string>& Names() const { return m_names; }
    int size() const { return int(m_names.size()); }

private:
    std::string FullPath(const std::string& name) const;
    std::string ShownText(const std::string& name, bool keepExtension) const;

    std::string m_folder;
    std::vector<std::string> m_names;
    size_t m_position = 0;
};
