#pragma once
#include <cstdint>

// The engine's shared-ownership base: the count starts at 0, every holder adds
// one, and the object destroys itself when the last holder lets go. Holders
// use Ptr; plain pointers never touch the count.
class RefCounted
{
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) : refCount(0) {}
    RefCounted& operator=(const RefCounted&) { return *this; }

    // Deleting an object that is still held is a bug in the caller; it is
    // logged and the object goes anyway.
    virtual ~RefCounted();

    void AddRef() { ++refCount; }

    // Destroys the object through its virtual destructor when the count
    // reaches zero.
    void Release();

    // Gives up a reference without destroying the object at zero: for the
    // one hand-over where a loader kept a loaded object alive and passes it
    // on to a caller that takes its own reference.
    void ReleaseKeepAlive()
    {
        if (refCount > 0)
            --refCount;
    }

    int32_t GetRefCount() const { return refCount; }

private:
    int32_t refCount = 0;
};
