#include "engine/core/Stream.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "engine/core/ClassRegistry.h"
#include "engine/core/Log.h"
#include "engine/core/Object.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"
#include "engine/core/Transform.h"

namespace
{

// Records nest through links; a file that nests deeper than any real scene
// would exhaust the stack instead, so it is refused.
constexpr uint32_t kMaxLinkDepth = 2048;

static_assert(sizeof(float) == 4 && sizeof(double) == 8, "the stream stores IEEE single and double words");

// The engine's encodings are little-endian, as is every machine it runs on.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the stream copies words as they are in memory");

} // namespace

Stream::Stream(uint32_t initialSize, uint32_t growStep) : growStep(growStep)
{
    if (initialSize == 0)
        return;
    buffer.reset(new (std::nothrow) uint8_t[initialSize]);
    if (!buffer)
    {
        LogError("Недостаточно памяти для создания буффера потока.");
        state = 2;
        return;
    }
    size = initialSize;
}

Stream::~Stream()
{
    ResetLinks();
}

uint32_t Stream::GetSize()
{
    return size;
}

void Stream::Fail(int32_t code)
{
    if (state == 0 && code != 0)
        state = code;
}

int32_t Stream::Grow(uint32_t needed)
{
    while (static_cast<uint64_t>(position) + needed > size)
    {
        if (growStep == 0)
        {
            LogWarning("Приращение буффера равно 0.");
            return 1;
        }
        if (static_cast<uint64_t>(size) + growStep > UINT32_MAX)
        {
            LogError("Недостаточно памяти для создания буффера потока.");
            return 2;
        }
        // Grow by whole steps at once: one allocation however large the write.
        uint64_t missing = static_cast<uint64_t>(position) + needed - size;
        uint64_t steps = (missing + growStep - 1) / growStep;
        uint64_t newSize = size + steps * growStep;
        if (newSize > UINT32_MAX)
            newSize = size + (UINT32_MAX - size) / growStep * growStep;
        std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[newSize]);
        if (!grown)
        {
            LogError("Недостаточно памяти для создания буффера потока.");
            return 2;
        }
        if (buffer)
            std::memcpy(grown.get(), buffer.get(), position);
        buffer = std::move(grown);
        size = static_cast<uint32_t>(newSize);
    }
    return 0;
}

int32_t Stream::Write(const void* bytes, uint32_t count)
{
    if (state != 0)
    {
        LogWarning("Неправильное состояние потока.");
        return state;
    }
    if (int32_t grown = Grow(count); grown != 0)
    {
        state = grown;
        LogWarning("Невозможно записать данные вследствие малого размера буффера.");
        return state;
    }
    if (count > 0)
        std::memcpy(buffer.get() + position, bytes, count);
    position += count;
    return state;
}

int32_t Stream::Read(void* bytes, uint32_t count)
{
    if (state != 0)
    {
        LogWarning("Неправильное состояние потока.");
        return state;
    }
    if (!buffer)
    {
        LogWarning("Невозможно считать данные. Буффер не существует.");
        state = 1;
        return 1;
    }
    if (static_cast<uint64_t>(position) + count > size)
    {
        LogWarning("Невозможно считать данные. Буффер переполнен.");
        state = 1;
        return 1;
    }
    if (count > 0)
        std::memcpy(bytes, buffer.get() + position, count);
    position += count;
    return state;
}

bool Stream::CheckRemaining(uint64_t count, uint64_t elementSize)
{
    if (state != 0)
    {
        LogWarning("Неправильное состояние потока.");
        return false;
    }
    if (elementSize != 0 && count > GetRemaining() / elementSize)
    {
        LogWarning("Невозможно считать данные. Буффер переполнен.");
        state = 1;
        return false;
    }
    return true;
}

int32_t Stream::WriteBool(bool value)
{
    uint8_t byte = value ? 1 : 0;
    return Write(&byte, 1);
}

int32_t Stream::ReadBool(bool& value)
{
    uint8_t byte = 0;
    if (Read(&byte, 1) == 0)
        value = byte != 0;
    return state;
}

int32_t Stream::WriteInt8(int8_t value) { return Write(&value, 1); }
int32_t Stream::ReadInt8(int8_t& value) { return Read(&value, 1); }
int32_t Stream::WriteInt16(int16_t value) { return Write(&value, 2); }
int32_t Stream::ReadInt16(int16_t& value) { return Read(&value, 2); }
int32_t Stream::WriteInt32(int32_t value) { return Write(&value, 4); }
int32_t Stream::ReadInt32(int32_t& value) { return Read(&value, 4); }
int32_t Stream::WriteUInt32(uint32_t value) { return Write(&value, 4); }
int32_t Stream::ReadUInt32(uint32_t& value) { return Read(&value, 4); }
int32_t Stream::WriteFloat(float value) { return Write(&value, 4); }
int32_t Stream::ReadFloat(float& value) { return Read(&value, 4); }
int32_t Stream::WriteInt64(int64_t value) { return Write(&value, 8); }
int32_t Stream::ReadInt64(int64_t& value) { return Read(&value, 8); }
int32_t Stream::WriteDouble(double value) { return Write(&value, 8); }
int32_t Stream::ReadDouble(double& value) { return Read(&value, 8); }

int32_t Stream::WriteFloats(const float* values, uint32_t count)
{
    if (static_cast<uint64_t>(count) * 4 > UINT32_MAX)
    {
        Fail(1);
        LogWarning("Невозможно записать данные вследствие малого размера буффера.");
        return state;
    }
    return Write(values, count * 4);
}

int32_t Stream::ReadFloats(float* values, uint32_t count)
{
    if (!CheckRemaining(count, 4))
        return state;
    return Read(values, count * 4);
}

int32_t Stream::WriteVector2(const Vector2& value)
{
    const float words[2] = {value.x, value.y};
    return Write(words, sizeof(words));
}

int32_t Stream::ReadVector2(Vector2& value)
{
    float words[2];
    if (Read(words, sizeof(words)) == 0)
        value = Vector2(words[0], words[1]);
    return state;
}

int32_t Stream::WriteVector3(const Vector3& value)
{
    const float words[3] = {value.x, value.y, value.z};
    return Write(words, sizeof(words));
}

int32_t Stream::ReadVector3(Vector3& value)
{
    float words[3];
    if (Read(words, sizeof(words)) == 0)
        value = Vector3(words[0], words[1], words[2]);
    return state;
}

int32_t Stream::WriteVector4(const Vector4& value)
{
    const float words[4] = {value.x, value.y, value.z, value.w};
    return Write(words, sizeof(words));
}

int32_t Stream::ReadVector4(Vector4& value)
{
    float words[4];
    if (Read(words, sizeof(words)) == 0)
        value = Vector4(words[0], words[1], words[2], words[3]);
    return state;
}

int32_t Stream::WriteQuaternion(const Quaternion& value)
{
    const float words[4] = {value.x, value.y, value.z, value.w};
    return Write(words, sizeof(words));
}

int32_t Stream::ReadQuaternion(Quaternion& value)
{
    float words[4];
    if (Read(words, sizeof(words)) == 0)
    {
        value.x = words[0];
        value.y = words[1];
        value.z = words[2];
        value.w = words[3];
    }
    return state;
}

int32_t Stream::WriteTransform(const Transform& value)
{
    WriteVector3(value.scale);
    WriteQuaternion(value.rotation);
    return WriteVector3(value.translation);
}

int32_t Stream::ReadTransform(Transform& value)
{
    Vector3 scale;
    Quaternion rotation;
    Vector3 translation;
    ReadVector3(scale);
    ReadQuaternion(rotation);
    // Only the three vectors are stored: a transform from a file is taken
    // as given, never as the identity, even when its values are those of one.
    if (ReadVector3(translation) == 0)
        value = Transform(translation, rotation, scale);
    return state;
}

int32_t Stream::WriteString(const String& value)
{
    if (WriteUInt32(value.Length()) != 0)
        return state;
    return Write(value.CStr(), value.Length());
}

int32_t Stream::ReadString(String& value)
{
    uint32_t length = 0;
    if (ReadUInt32(length) != 0)
        return state;
    // The length comes from the file: text longer than what is left cannot
    // be there, whatever memory there is.
    if (!CheckRemaining(length, 1))
        return state;
    if (!value.TryAssign(reinterpret_cast<const char*>(buffer.get() + position), length))
    {
        LogWarning("Недостаточно памяти для загрузки строки.");
        Fail(2);
        return state;
    }
    position += length;
    return state;
}

int32_t Stream::WriteLink(Object* object)
{
    if (!object)
        return WriteInt32(-1);

    const int32_t id = static_cast<int32_t>(object->GetID());
    LogInfo("Write ID[%d]", id);
    if (links.count(id) != 0)
        return WriteInt32(id);

    if (WriteInt32(id) != 0)
        return state;
    links.emplace(id, object);
    if (WriteString(object->GetRtti().GetName()) != 0)
        return state;
    int32_t saved = object->Save(*this);
    Fail(saved);
    LogInfo("RTTI[%s] ID[%d] Name[%s] Pointer[%d]", object->GetRtti().GetName().CStr(), id,
            object->GetName().CStr(), static_cast<int32_t>(position));
    return state;
}

int32_t Stream::ReadLink(Object*& object)
{
    object = nullptr;
    int32_t id = 0;
    if (ReadInt32(id) != 0)
        return state;
    LogInfo("Read ID[%d]", id);
    if (id == -1)
    {
        if (linkListener)
            linkListener->OnLinkRead(linkDepth, id, String(), nullptr);
        return state;
    }
    if (auto known = links.find(id); known != links.end())
    {
        object = known->second;
        if (linkListener)
            linkListener->OnLinkRead(linkDepth, id, String(), object);
        return state;
    }

    String typeName;
    if (ReadString(typeName) != 0)
        return state;
    ClassFactory factory = FindClassFactory(typeName);
    if (!factory)
    {
        LogError("Невозможно найти функцию создания объекта. RTTI[%s] ID[%d]", typeName.CStr(), id);
        state = 1;
        return 1;
    }
    if (linkDepth >= kMaxLinkDepth)
    {
        LogError("Невозможно создать объект. RTTI[%s] ID[%d]", typeName.CStr(), id);
        state = 1;
        return 1;
    }
    Object* made = nullptr;
    if (factory(&made) != 0 || !made)
    {
        LogError("Невозможно создать объект. RTTI[%s] ID[%d]", typeName.CStr(), id);
        state = 1;
        return 1;
    }

    // Known before its record is read, so references from inside the record
    // (a child's parent) resolve to it.
    links.emplace(id, made);
    created.Append(Ptr<Object>(made));
    if (linkListener)
        linkListener->OnLinkRead(linkDepth, id, typeName, made);

    ++linkDepth;
    int32_t loaded = made->Load(*this);
    --linkDepth;
    Fail(loaded);
    LogInfo("RTTI[%s] ID[%d] Name[%s] Pointer[%d]", typeName.CStr(), made->GetID(), made->GetName().CStr(),
            static_cast<int32_t>(position));
    object = made;
    return state;
}

void Stream::AdoptBuffer(std::unique_ptr<uint8_t[]> bytes, uint32_t byteCount)
{
    size = bytes ? byteCount : 0;
    buffer = std::move(bytes);
    position = 0;
}

void Stream::FreeBuffer()
{
    buffer.reset();
    size = 0;
    position = 0;
}

void Stream::ResetLinks()
{
    links.clear();
    // Objects nobody took a reference to go now.
    created.Clear();
}
