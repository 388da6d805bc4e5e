#include "engine/scene/PositionEmitter.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(PositionEmitter, Emitter)

int32_t PositionEmitter::AddPosition(const Vector3& position)
{
    if (positions.Append(position) != 0)
    {
        LogError("Недостаточно памяти для позиций эмиттера. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    return 0;
}

void PositionEmitter::Emit(Vector3& position, Vector3& direction)
{
    direction = Vector3();
    if (positions.Count() == 0)
    {
        position = Vector3();
        return;
    }
    position = positions[cursor % positions.Count()];
    ++cursor;
}

int32_t PositionEmitter::Save(Stream& stream)
{
    if (Emitter::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    bool written = stream.WriteInt32(static_cast<int32_t>(positions.Count())) == 0;
    for (uint32_t i = 0; written && i < positions.Count(); ++i)
        written = stream.WriteVector3(positions[i]) == 0;
    if (!written)
    {
        LogError("Невозможно сохранить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t PositionEmitter::Load(Stream& stream)
{
    if (Emitter::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t count = 0;
    // Three floats per position, checked before anything is made.
    if (stream.ReadInt32(count) != 0 || count < 0 || !stream.CheckRemaining(static_cast<uint64_t>(count), 12))
    {
        LogError("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    positions.Clear();
    cursor = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        Vector3 position;
        if (stream.ReadVector3(position) != 0)
        {
            LogError("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        if (AddPosition(position) != 0)
            return 2;
    }
    return 0;
}
