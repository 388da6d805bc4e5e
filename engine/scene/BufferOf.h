#pragma once
#include <cstring>
#include <new>

#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/Buffer.h"

// The storage shared by the six buffer classes: an owned new[] block of
// count elements, stored as the count and then the elements' raw
// little-endian bytes.
template <typename Element>
class BufferOf : public Buffer
{
public:
    ~BufferOf() override { delete[] data; }

    // contents
    void* GetData() override { return data; }
    const void* GetData() const override { return data; }
    uint32_t GetElementSize() const override { return sizeof(Element); }
    Element* GetElements() { return data; }
    const Element* GetElements() const { return data; }
    Element& operator[](uint32_t index) { return data[index]; }
    const Element& operator[](uint32_t index) const { return data[index]; }

    // Takes ownership of a new[] block of newCount elements (null with 0);
    // the old block is freed. Marks the buffer changed.
    void SetData(uint32_t newCount, Element* newData)
    {
        delete[] data;
        data = newData;
        count = newData ? newCount : 0;
        MarkChanged();
    }

    // A new zeroed block of newCount elements. False, with the old contents
    // kept, when memory runs out.
    bool Allocate(uint32_t newCount)
    {
        Element* block = newCount ? new (std::nothrow) Element[newCount]() : nullptr;
        if (newCount && !block)
            return false;
        SetData(newCount, block);
        return true;
    }

    // streaming: count, then the elements
    int32_t Save(Stream& stream) override
    {
        if (Object::Save(stream) != 0)
        {
            LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        if (stream.WriteInt32(static_cast<int32_t>(count)) != 0)
        {
            LogError("Невозможно сохранить количество данных буффера. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        if (count && stream.Write(data, count * static_cast<uint32_t>(sizeof(Element))) != 0)
        {
            LogError("Невозможно сохранить данные буффера. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        return 0;
    }

    int32_t Load(Stream& stream) override
    {
        if (Object::Load(stream) != 0)
        {
            LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
            return 1;
        }
        int32_t stored = 0;
        if (stream.ReadInt32(stored) != 0 || stored < 0)
        {
            LogError("Невозможно загрузить количество данных буффера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            stream.Fail(1);
            return 1;
        }
        const uint32_t newCount = static_cast<uint32_t>(stored);
        // The count comes from the file: elements that are not there are
        // refused before anything is allocated for them.
        if (!stream.CheckRemaining(newCount, sizeof(Element)))
        {
            LogError("Невозможно загрузить данные буффера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 1;
        }
        Element* block = newCount ? new (std::nothrow) Element[newCount] : nullptr;
        if (newCount && !block)
        {
            LogError("Недостаточно памяти для создания буффера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            stream.Fail(2);
            return 1;
        }
        if (newCount && stream.Read(block, newCount * static_cast<uint32_t>(sizeof(Element))) != 0)
        {
            delete[] block;
            LogError("Невозможно загрузить данные буффера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 1;
        }
        SetData(newCount, block);
        return 0;
    }

protected:
    // Takes ownership of a new[] block of count elements.
    BufferOf(const String& name, uint32_t newCount, Element* newData) : Buffer(name), data(newData)
    {
        count = newData ? newCount : 0;
    }

private:
    Element* data = nullptr; // owned, new[]
};

// A new buffer of the class with count zeroed elements and no reference
// taken, or null when memory runs out.
template <typename BufferClass>
BufferClass* CreateBuffer(uint32_t count)
{
    BufferClass* buffer = new (std::nothrow) BufferClass();
    if (buffer && !buffer->Allocate(count))
    {
        delete buffer;
        return nullptr;
    }
    return buffer;
}
