#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

// Growable array that grows by a fixed step when full, never by doubling:
// the engine's arrays are small and their growth pattern is part of their
// memory budget. Never throws: a growth that finds no memory leaves the
// array as it was and says so with result 2. Elements may be move-only
// (owners such as Ptr or std::unique_ptr); they must not throw when moved.
template <typename T>
class Array
{
    static_assert(std::is_nothrow_move_constructible_v<T> && std::is_nothrow_move_assignable_v<T>,
                  "elements move without throwing, so a failed growth can leave the array intact");

public:
    // Reserves capacity elements; when that memory is missing the array
    // starts with no room and the first Append tries again.
    explicit Array(uint32_t capacity = 1, uint32_t growStep = 1) noexcept
        : block(capacity ? Allocate(capacity) : Storage()), capacity(block ? capacity : 0),
          growStep(growStep ? growStep : 1)
    {
    }

    ~Array() { Clear(); }

    // Arrays hand their elements over; copying would need an allocation
    // that could fail where no result can be returned.
    Array(Array&& other) noexcept
        : block(std::move(other.block)), capacity(std::exchange(other.capacity, 0)),
          count(std::exchange(other.count, 0)), growStep(other.growStep)
    {
    }

    Array& operator=(Array&& other) noexcept
    {
        if (this != &other)
        {
            Clear();
            block = std::move(other.block);
            capacity = std::exchange(other.capacity, 0);
            count = std::exchange(other.count, 0);
            growStep = other.growStep;
        }
        return *this;
    }

    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    uint32_t Count() const { return count; }
    uint32_t Capacity() const { return capacity; }
    uint32_t GrowStep() const { return growStep; }
    bool IsEmpty() const { return count == 0; }

    T& operator[](uint32_t index) { return block.get()[index]; }
    const T& operator[](uint32_t index) const { return block.get()[index]; }

    // 0; 2 when the array is full and the next step cannot be had: the
    // array is unchanged and an item passed as an rvalue is not moved from,
    // so an owner stays with the caller.
    int32_t Append(const T& item) { return Place(count, item); }
    int32_t Append(T&& item) { return Place(count, std::move(item)); }

    // Later entries move up by one; same results as Append.
    int32_t Insert(uint32_t index, const T& item) { return Place(index, item); }
    int32_t Insert(uint32_t index, T&& item) { return Place(index, std::move(item)); }

    // Later entries move down by one; the order is kept.
    void RemoveAt(uint32_t index)
    {
        std::move(begin() + index + 1, end(), begin() + index);
        --count;
        std::destroy_at(block.get() + count);
    }

    // Index of the first entry equal to item, or -1.
    int32_t Find(const T& item) const
    {
        for (uint32_t i = 0; i < count; ++i)
            if (block.get()[i] == item)
                return static_cast<int32_t>(i);
        return -1;
    }

    // Destroys the entries; the capacity stays.
    void Clear()
    {
        std::destroy(begin(), end());
        count = 0;
    }

    T* begin() { return block.get(); }
    T* end() { return block.get() + count; }
    const T* begin() const { return block.get(); }
    const T* end() const { return block.get() + count; }

private:
    // Returns raw element storage (never constructed elements) to the heap.
    struct Release
    {
        void operator()(T* storage) const { ::operator delete(storage, std::align_val_t(alignof(T))); }
    };
    using Storage = std::unique_ptr<T, Release>;

    // Room for wanted elements, none constructed; null when memory is missing.
    static Storage Allocate(uint32_t wanted)
    {
        if (wanted > SIZE_MAX / sizeof(T))
            return Storage();
        return Storage(static_cast<T*>(::operator new(sizeof(T) * wanted, std::align_val_t(alignof(T)), std::nothrow)));
    }

    // Moves the entries into new storage with room for the new element
    // made from item; false (nothing changed) when it cannot be had. The new
    // element is made first, as item may be one of the entries.
    template <typename Item>
    bool Grow(uint32_t wanted, Item&& item)
    {
        Storage grown = Allocate(wanted);
        if (!grown)
            return false;
        ::new (static_cast<void*>(grown.get() + count)) T(std::forward<Item>(item));
        std::uninitialized_move(begin(), end(), grown.get());
        std::destroy(begin(), end());
        block = std::move(grown);
        capacity = wanted;
        return true;
    }

    // Append and Insert: the item goes to the end, growing by one step when
    // full, then rotates into place.
    template <typename Item>
    int32_t Place(uint32_t index, Item&& item)
    {
        if (count < capacity)
            ::new (static_cast<void*>(block.get() + count)) T(std::forward<Item>(item));
        else if (capacity > UINT32_MAX - growStep || !Grow(capacity + growStep, std::forward<Item>(item)))
            return 2;
        ++count;
        if (index + 1 < count)
            std::rotate(begin() + index, end() - 1, end());
        return 0;
    }

    Storage block; // capacity slots, the first count constructed
    uint32_t capacity = 0;
    uint32_t count = 0;
    uint32_t growStep;
};
