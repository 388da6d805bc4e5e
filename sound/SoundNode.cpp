#include "sound/SoundNode.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "sound/SoundManager.h"

QRE_IMPLEMENT_CLASS(SoundNode, Node)

Vector3 SoundPositionOf(const Node& node)
{
    const Transform& world = node.GetWorldTransform();
    Vector3 position = world.IsIdentity() ? Vector3() : world.GetTranslation();
    Renderer* renderer = GetRenderer();
    if (Camera* camera = renderer ? renderer->GetCamera() : nullptr)
        position = position - camera->GetPosition();
    return position;
}

int32_t ReadSoundFile(File* file, std::unique_ptr<uint8_t[]>& bytes, uint32_t& size)
{
    bytes.reset();
    size = 0;
    if (!file || file->Open(File::kRead) != 0)
        return 3;
    const uint32_t length = file->GetSize();
    if (length == 0)
    {
        file->Close();
        return 3;
    }
    bytes.reset(new (std::nothrow) uint8_t[length]);
    if (!bytes)
    {
        file->Close();
        return 2;
    }
    std::memcpy(bytes.get(), file->GetBuffer(), length);
    file->Close();
    size = length;
    return 0;
}

SoundNode::SoundNode(const String& name) : Node(name)
{
}

SoundNode::~SoundNode()
{
    FreeSound();
}

void SoundNode::FreeSound()
{
    if (channel)
        SoundManager::Calls().StreamFree(channel);
    channel = 0;
    data.reset();
}

int32_t SoundNode::SetSound(File* file, bool makeIs3D)
{
    FreeSound();
    uint32_t size = 0;
    const int32_t read = ReadSoundFile(file, data, size);
    if (read != 0)
        return read;
    is3D = makeIs3D;
    const SoundFunctions& sound = SoundManager::Calls();
    channel = sound.StreamCreateFile(1, data.get(), 0, size, is3D ? static_cast<uint32_t>(kAudioStream3D) : 0u);
    if (!channel)
    {
        LogWarning("Невозможно загрузить файл звука [%s]", file->GetName().CStr());
        return 0;
    }
    SetLoop(loop);
    if (is3D)
        sound.Apply3D();
    return 0;
}

void SoundNode::SetLoop(bool value)
{
    loop = value;
    if (channel)
        SoundManager::Calls().ChannelSetFlags(channel, loop ? static_cast<uint32_t>(kAudioLoop) : 0u);
}

void SoundNode::SetVolume(int32_t value)
{
    volume = value;
    if (channel)
        SoundManager::Calls().ChannelSetAttributes(channel, -1, volume, -101);
}

void SoundNode::SetMinDistance(float distance)
{
    minDistance = distance;
    if (!channel)
        return;
    const SoundFunctions& sound = SoundManager::Calls();
    sound.ChannelSet3DAttributes(channel, 0, minDistance, -1.0f, -1, -1, -1);
    sound.Apply3D();
}

void SoundNode::UpdateWorldData(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
    if (!active || !channel)
        return;
    if (std::isfinite(time))
        elapsed += static_cast<float>(time);
    const SoundFunctions& sound = SoundManager::Calls();
    if (is3D)
    {
        const Vector3 place = SoundPositionOf(*this);
        const AudioVector position = {place.x, place.y, place.z};
        sound.ChannelSet3DPosition(channel, &position, nullptr, nullptr);
        sound.Apply3D();
    }
    sound.ChannelPlay(channel, 0);
}

void SoundNode::UpdateWorldBound()
{
    if (!updateWorldBound || !worldBound)
        return;
    const SphereBoundingVolume local(Vector3(), minDistance);
    local.TransformTo(worldBound.Get(), worldTransform);
}

int32_t SoundNode::Save(Stream& stream)
{
    if (Node::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteBool(loop);
    stream.WriteFloat(minDistance);
    stream.WriteFloat(reserved);
    stream.WriteBool(is3D);
    stream.WriteString(fileName);
    stream.WriteBool(active);
    if (stream.WriteInt32(volume) != 0)
    {
        LogError("Невозможно сохранить данные источника звука. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t SoundNode::Load(Stream& stream)
{
    if (Node::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    stream.ReadBool(loop);
    stream.ReadFloat(minDistance);
    stream.ReadFloat(reserved);
    stream.ReadBool(is3D);
    stream.ReadString(fileName);
    stream.ReadBool(active);
    // A distance that is negative or not finite would size the bound.
    if (stream.ReadInt32(volume) != 0 || !(minDistance >= 0.0f && minDistance <= FLT_MAX))
    {
        LogError("Невозможно загрузить данные источника звука. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    File* file = FileManager::FindFile(fileName);
    if (!file)
    {
        LogWarning("Невозможно найти файл [%s] для источника звука. ID[%d] Имя[%s]", fileName.CStr(), GetID(),
                   GetName().CStr());
        return 0;
    }
    if (SetSound(file, is3D) != 0)
    {
        LogError("Невозможно загрузить звук источника звука. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    SetVolume(volume);
    SetMinDistance(minDistance);
    return 0;
}
