#pragma once
#include <utility>

// The one holder of reference-counted objects: taking a pointer adds a
// reference, dropping it releases one. Everything that owns an engine object
// holds it through a Ptr; back pointers and query results stay plain.
template <typename T>
class Ptr
{
public:
    Ptr() = default;
    Ptr(T* object) : object(object) { if (object) object->AddRef(); }
    Ptr(const Ptr& other) : Ptr(other.object) {}
    Ptr(Ptr&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
    template <typename U>
    Ptr(const Ptr<U>& other) : Ptr(other.Get()) {}
    ~Ptr() { if (object) object->Release(); }

    Ptr& operator=(T* other)
    {
        // Add first: assigning an object to the holder that already owns it
        // must not destroy it on the way.
        if (other) other->AddRef();
        T* old = std::exchange(object, other);
        if (old) old->Release();
        return *this;
    }
    Ptr& operator=(const Ptr& other) { return *this = other.object; }
    Ptr& operator=(Ptr&& other) noexcept
    {
        if (this != &other)
        {
            T* old = std::exchange(object, std::exchange(other.object, nullptr));
            if (old) old->Release();
        }
        return *this;
    }

    T* Get() const { return object; }
    T* operator->() const { return object; }
    T& operator*() const { return *object; }
    explicit operator bool() const { return object != nullptr; }
    bool operator==(const T* other) const { return object == other; }
    bool operator==(const Ptr& other) const { return object == other.object; }

private:
    T* object = nullptr;
};
