#pragma once
#include <cstdint>
#include <utility>
#include <vector>

// Growable array that grows by a fixed step when full, never by doubling:
// the engine's arrays are small and their growth pattern is part of their
// memory budget.
template <typename T>
class Array
{
public:
    explicit Array(uint32_t capacity = 1, uint32_t growStep = 1)
        : growStep(growStep ? growStep : 1)
    {
        items.reserve(capacity);
    }

    uint32_t Count() const { return static_cast<uint32_t>(items.size()); }
    uint32_t Capacity() const { return static_cast<uint32_t>(items.capacity()); }
    uint32_t GrowStep() const { return growStep; }
    bool IsEmpty() const { return items.empty(); }

    T& operator[](uint32_t index) { return items[index]; }
    const T& operator[](uint32_t index) const { return items[index]; }

    void Append(T item)
    {
        if (items.size() == items.capacity())
            items.reserve(items.capacity() + growStep);
        items.push_back(std::move(item));
    }

    void Insert(uint32_t index, T item)
    {
        if (items.size() == items.capacity())
            items.reserve(items.capacity() + growStep);
        items.insert(items.begin() + index, std::move(item));
    }

    // Later entries move down by one; the order is kept.
    void RemoveAt(uint32_t index) { items.erase(items.begin() + index); }

    // Index of the first entry equal to item, or -1.
    int32_t Find(const T& item) const
    {
        for (uint32_t i = 0; i < items.size(); ++i)
            if (items[i] == item)
                return static_cast<int32_t>(i);
        return -1;
    }

    void Clear() { items.clear(); }

    auto begin() { return items.begin(); }
    auto end() { return items.end(); }
    auto begin() const { return items.begin(); }
    auto end() const { return items.end(); }

private:
    std::vector<T> items;
    uint32_t growStep;
};
