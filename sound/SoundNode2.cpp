#include "sound/SoundNode2.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Stream.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "sound/SoundManager.h"
#include "sound/SoundNode.h"

QRE_IMPLEMENT_CLASS(SoundNode2, Node)

SoundNode2::SoundNode2(const String& name) : Node(name)
{
}

SoundNode2::~SoundNode2()
{
    FreeSounds();
}

void SoundNode2::FreeSounds()
{
    const SoundFunctions& sound = SoundManager::Calls();
    for (uint32_t* channel : {&channelA, &channelB})
    {
        if (*channel)
            sound.StreamFree(*channel);
        *channel = 0;
    }
    current = 0;
    dataA.reset();
    dataB.reset();
}

int32_t SoundNode2::MakeStream(const String& name, std::unique_ptr<uint8_t[]>& data, uint32_t& channel)
{
    if (name.IsEmpty())
        return 0;
    File* file = FileManager::FindFile(name);
    if (!file)
    {
        LogWarning("Невозможно найти файл [%s] для источника звука. ID[%d] Имя[%s]", name.CStr(), GetID(),
                   GetName().CStr());
        return 0;
    }
    uint32_t size = 0;
    const int32_t read = ReadSoundFile(file, data, size);
    if (read == 2)
        return 2;
    if (read != 0)
        return 0;
    channel = SoundManager::Calls().StreamCreateFile(1, data.get(), 0, size, is3D ? static_cast<uint32_t>(kAudioStream3D) : 0u);
    if (!channel)
        LogWarning("Невозможно загрузить файл звука [%s]", name.CStr());
    return 0;
}

int32_t SoundNode2::SetSounds()
{
    FreeSounds();
    if (MakeStream(fileNameA, dataA, channelA) != 0 || MakeStream(fileNameB, dataB, channelB) != 0)
        return 2;
    const SoundFunctions& sound = SoundManager::Calls();
    if (channelB)
    {
        sound.ChannelSetFlags(channelA, 0);
        sound.ChannelSetFlags(channelB, 0);
    }
    if (is3D)
        sound.Apply3D();
    SetMinDistance(minDistance);
    return 0;
}

void SoundNode2::SetVolume(int32_t value)
{
    volume = value;
    const SoundFunctions& sound = SoundManager::Calls();
    for (uint32_t channel : {channelA, channelB})
        if (channel)
            sound.ChannelSetAttributes(channel, -1, volume, -101);
}

void SoundNode2::SetMinDistance(float distance)
{
    minDistance = distance;
    const SoundFunctions& sound = SoundManager::Calls();
    for (uint32_t channel : {channelA, channelB})
        if (channel)
            sound.ChannelSet3DAttributes(channel, 0, minDistance, -1.0f, -1, -1, -1);
    sound.Apply3D();
}

void SoundNode2::UpdateWorldData(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
    if (!channelA || !channelB)
        return;
    const SoundFunctions& sound = SoundManager::Calls();
    if (std::isfinite(time) && time > 0.0)
        elapsed += static_cast<float>(time);
    uint32_t switches = 0;
    while (elapsed >= nextSwitch)
    {
        if (switches == kMaxSwitches)
        {
            elapsed = 0.0f; // too far behind to catch up: start counting afresh
            break;
        }
        ++switches;
        elapsed -= nextSwitch;
        const float next = interval + spread * (2.0f * RandomUnit() - 1.0f);
        // Written so that NaN, too, gets the shortest time.
        nextSwitch = next >= kMinSwitchTime ? next : kMinSwitchTime;
        const bool playB = (std::rand() & 1) != 0;
        const uint32_t start = playB ? channelB : channelA;
        sound.ChannelPlay(start, 1);
        sound.ChannelStop(playB ? channelA : channelB);
        current = start;
    }
    if (current && is3D)
    {
        const Vector3 place = SoundPositionOf(*this);
        const AudioVector position = {place.x, place.y, place.z};
        sound.ChannelSet3DPosition(current, &position, nullptr, nullptr);
        sound.Apply3D();
    }
}

void SoundNode2::UpdateWorldBound()
{
    if (!updateWorldBound || !worldBound)
        return;
    const SphereBoundingVolume local(Vector3(), minDistance);
    local.TransformTo(worldBound.Get(), worldTransform);
}

int32_t SoundNode2::Save(Stream& stream)
{
    if (Node::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteString(fileNameA);
    stream.WriteString(fileNameB);
    stream.WriteFloat(minDistance);
    stream.WriteBool(is3D);
    stream.WriteInt32(volume);
    stream.WriteFloat(interval);
    if (stream.WriteFloat(spread) != 0)
    {
        LogError("Невозможно сохранить данные источника звука. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t SoundNode2::Load(Stream& stream)
{
    if (Node::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    stream.ReadString(fileNameA);
    stream.ReadString(fileNameB);
    stream.ReadFloat(minDistance);
    stream.ReadBool(is3D);
    stream.ReadInt32(volume);
    stream.ReadFloat(interval);
    // A distance that is negative or not finite would size the bound.
    if (stream.ReadFloat(spread) != 0 || !(minDistance >= 0.0f && minDistance <= FLT_MAX))
    {
        LogError("Невозможно загрузить данные источника звука. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    if (SetSounds() != 0)
    {
        LogError("Невозможно загрузить звук источника звука. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    SetVolume(volume);
    SetMinDistance(minDistance);
    return 0;
}
