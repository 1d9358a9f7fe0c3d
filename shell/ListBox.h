// The list-box interface the shell's list operations (seLibrary, seFolder) work on, and a
// plain in-memory list box for engines and tests. Dialog pages adapt their widgets to it.
#pragma once

#include <string>
#include <vector>

class ListBox {
public:
    virtual ~ListBox() = default;

    virtual int count() const = 0;
    // Text of item i; empty for an index out of range.
    virtual std::string text(int i) const = 0;
    // Appends; returns the new item's index.
    virtual int add(const std::string& text) = 0;
    // Inserts before index at (at < 0 or at >= count() appends); returns the new index.
    virtual int insert(int at, const std::string& text) = 0;
    // Deletes item i; an index out of range does nothing.
    virtual void remove(int i) = 0;
    // Index of the first item whose whole text equals text (case-sensitive), or -1.
    virtual int findExact(const std::string& text) const = 0;
    // Whether item i is selected (multiple-selection boxes may have several).
    virtual bool isSelected(int i) const = 0;
    // The current item (the selection of a single-selection box), or -1 for none.
    virtual int currentSelection() const = 0;
    // Makes item i the current and only selected item; -1 clears the selection.
    virtual void setSelection(int i) = 0;
};

// A list box held in memory: items with a selected flag and a current item.
class MemoryListBox final : public ListBox {
public:
    MemoryListBox() = default;
    explicit MemoryListBox(const std::vector<std::string>& items);

    int count() const override;
    std::string text(int i) const override;
    int add(const std::string& text) override;
    int insert(int at, const std::string& text) override;
    void remove(int i) override;
    int findExact(const std::string& text) const override;
    bool isSelected(int i) const override;
    int currentSelection() const override;
    void setSelection(int i) override;

    // Multiple selection: sets item i's selected flag without touching the others.
    void setSelected(int i, bool selected);
    // All texts in order.
    std::vector<std::string> items() const;

private:
    struct Item {
        std::string text;
        bool selected = false;
    };
    bool valid(int i) const { return i >= 0 && i < int(m_items.size()); }

    std::vector<Item> m_items;
    int m_current = -1;
};
