// seVectorStack: a fixed-capacity stack of values used by the stack-program patterns.
// The storage is allocated once at construction, so pushing and popping never allocate.
// Unlike a bare array it refuses to overflow: a push on a full stack is dropped, and
// reading or popping an empty stack is harmless.
#pragma once

#include <cstddef>
#include <vector>

template <typename T>
class seVectorStack {
public:
    explicit seVectorStack(int capacity) : m_values(capacity > 0 ? static_cast<size_t>(capacity) : 0) {}

    int capacity() const { return static_cast<int>(m_values.size()); }
    int size() const { return m_top + 1; }
    bool empty() const { return m_top < 0; }
    void clear() { m_top = -1; }

    // Stores v at top + 1; false (and nothing stored) when the stack is full.
    bool push(T v)
    {
        if (m_top + 1 >= capacity()) return false;
        m_values[static_cast<size_t>(++m_top)] = v;
        return true;
    }
    // Removes and returns the top value; T{} on an empty stack.
    T pop()
    {
        if (m_top < 0) return T{};
        return m_values[static_cast<size_t>(m_top--)];
    }
    // The top value; callers check empty() first. An empty stack yields a scratch slot.
    T& top() { return m_top < 0 ? m_scratch : m_values[static_cast<size_t>(m_top)]; }
    const T& top() const { return m_top < 0 ? m_scratch : m_values[static_cast<size_t>(m_top)]; }
    // The value below the top (callers check size() >= 2).
    T& second() { return m_top < 1 ? m_scratch : m_values[static_cast<size_t>(m_top - 1)]; }

private:
    std::vector<T> m_values;
    int m_top = -1;
    T m_scratch{};
};
