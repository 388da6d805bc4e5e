#pragma once
#include <cstdint>
#include <utility>

#include "engine/core/String.h"

// The engine's map: 32 chained buckets, exact-match keys (a String compares
// length and bytes; an ID compares as a number). Iteration runs bucket by
// bucket, each chain in insertion order, which callers rely on for "first
// match" searches.
template <typename Key, typename Value>
class HashMap
{
public:
    static constexpr uint32_t kBuckets = 32;

    HashMap() = default;
    HashMap(const HashMap&) = delete;
    HashMap& operator=(const HashMap&) = delete;
    ~HashMap() { Clear(); }

    // False when the key is present already; the old value stays.
    bool Insert(const Key& key, Value value)
    {
        Entry** slot = &buckets[BucketOf(key)];
        while (*slot)
        {
            if ((*slot)->key == key)
                return false;
            slot = &(*slot)->next;
        }
        *slot = new Entry{key, std::move(value), nullptr};
        ++count;
        return true;
    }

    Value* Find(const Key& key)
    {
        for (Entry* entry = buckets[BucketOf(key)]; entry; entry = entry->next)
            if (entry->key == key)
                return &entry->value;
        return nullptr;
    }
    const Value* Find(const Key& key) const { return const_cast<HashMap*>(this)->Find(key); }

    bool Remove(const Key& key)
    {
        for (Entry** slot = &buckets[BucketOf(key)]; *slot; slot = &(*slot)->next)
        {
            if ((*slot)->key == key)
            {
                Entry* gone = *slot;
                *slot = gone->next;
                delete gone;
                --count;
                return true;
            }
        }
        return false;
    }

    void Clear()
    {
        for (Entry*& head : buckets)
        {
            while (head)
            {
                Entry* next = head->next;
                delete head;
                head = next;
            }
        }
        count = 0;
    }

    uint32_t Count() const { return count; }

    // Calls visit(key, value) in table order; stops early when visit returns true.
    template <typename Visit>
    bool ForEach(Visit visit)
    {
        for (Entry* head : buckets)
            for (Entry* entry = head; entry; entry = entry->next)
                if (visit(entry->key, entry->value))
                    return true;
        return false;
    }

private:
    struct Entry
    {
        Key key;
        Value value;
        Entry* next;
    };

    static uint32_t BucketOf(const String& key) { return key.Hash() % kBuckets; }
    static uint32_t BucketOf(uint32_t key) { return (key * 2654435761u >> 16) % kBuckets; }
    static uint32_t BucketOf(int32_t key) { return BucketOf(static_cast<uint32_t>(key)); }
    template <typename P>
    static uint32_t BucketOf(P* key) { return BucketOf(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(key) >> 4)); }

    Entry* buckets[kBuckets] = {};
    uint32_t count = 0;
};
