// The in-memory list box.
#include "shell/ListBox.h"

MemoryListBox::MemoryListBox(const std::vector<std::string>& items)
{
    for (const auto& text : items)
        m_items.push_back({text, false});
}

int MemoryListBox::count() const
{
    return int(m_items.size());
}

std::string MemoryListBox::text(int i) const
{
    return valid(i) ? m_items[size_t(i)].text : std::string();
}

int MemoryListBox::add(const std::string& text)
{
    m_items.push_back({text, false});
    return count() - 1;
}

int MemoryListBox::insert(int at, const std::string& text)
{
    if (!valid(at))
        return add(text);
    m_items.insert(m_items.begin() + at, Item{text, false});
    if (m_current >= at)
        ++m_current;
    return at;
}

void MemoryListBox::remove(int i)
{
    if (!valid(i))
        return;
    m_items.erase(m_items.begin() + i);
    if (m_current == i)
        m_current = -1;
    else if (m_current > i)
        --m_current;
}

int MemoryListBox::findExact(const std::string& text) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].text == text)
            return int(i);
    }
    return -1;
}

bool MemoryListBox::isSelected(int i) const
{
    return valid(i) && m_items[size_t(i)].selected;
}

int MemoryListBox::currentSelection() const
{
    return m_current;
}

void MemoryListBox::setSelection(int i)
{
    for (auto& item : m_items)
        item.selected = false;
    if (valid(i)) {
        m_items[size_t(i)].selected = true;
        m_current = i;
    } else {
        m_current = -1;
    }
}

void MemoryListBox::setSelected(int i, bool selected)
{
    if (valid(i))
        m_items[size_t(i)].selected = selected;
}

std::vector<std::string> MemoryListBox::items() const
{
    std::vector<std::string> out;
    out.reserve(m_items.size());
    for (const auto& item : m_items)
        out.push_back(item.text);
    return out;
}
