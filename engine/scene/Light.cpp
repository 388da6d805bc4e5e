#include "engine/scene/Light.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/LookAt.h"

QRE_IMPLEMENT_CLASS(Light, Node)

Vector3 Light::GetPosition() const
{
    return worldTransform.IsIdentity() ? Vector3() : worldTransform.translation;
}

Vector3 Light::GetDirection() const
{
    if (worldTransform.IsIdentity() || worldTransform.IsRotationFree())
        return Vector3(0.0f, 0.0f, 1.0f);
    const Matrix4 m = worldTransform.rotation.ToMatrix3();
    return Vector3(m.m[0][2], m.m[1][2], m.m[2][2]);
}

void Light::LookAt(const Vector3& direction)
{
    AimTransform(localTransform, direction);
}

int32_t Light::Save(Stream& stream)
{
    if (Node::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteInt32(lightType);
    stream.WriteVector4(ambient);
    stream.WriteVector4(diffuse);
    stream.WriteVector4(specular);
    stream.WriteFloat(constantAttenuation);
    stream.WriteFloat(linearAttenuation);
    stream.WriteFloat(quadraticAttenuation);
    stream.WriteBool(attenuate != 0);
    stream.WriteFloat(falloff);
    if (stream.WriteFloat(angle) != 0)
    {
        LogError("Невозможно сохранить данные источника света. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t Light::Load(Stream& stream)
{
    if (Node::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    bool on = false;
    stream.ReadInt32(lightType);
    stream.ReadVector4(ambient);
    stream.ReadVector4(diffuse);
    stream.ReadVector4(specular);
    stream.ReadFloat(constantAttenuation);
    stream.ReadFloat(linearAttenuation);
    stream.ReadFloat(quadraticAttenuation);
    stream.ReadBool(on);
    stream.ReadFloat(falloff);
    if (stream.ReadFloat(angle) != 0)
    {
        LogError("Невозможно загрузить данные источника света. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    attenuate = on ? 1 : 0;
    return 0;
}
