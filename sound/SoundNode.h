#pragma once
#include <cfloat>
#include <cstdint>
#include <memory>

#include "engine/core/String.h"
#include "engine/scene/Node.h"

class File;

// A sound source in the scene: plays one sound file from the mounted
// archives, looping or once, heard as it is or placed in 3D at the node
// relative to the current camera. The file's bytes are read once, at load,
// and the stream plays from them, so the show touches no file.
class SoundNode : public Node
{
    QRE_DECLARE_CLASS

public:
    explicit SoundNode(const String& name = String());
    // The stream first, then the block it plays from.
    ~SoundNode() override;

    // Frees the current stream and block, then copies the file's bytes and
    // makes a stream of them (3D when is3D). 0 (also when the bytes are no
    // sound we play: warned, the node stays silent), 2 out of memory, 3 no
    // file or one without data.
    int32_t SetSound(File* file, bool is3D);

    void SetLoop(bool value);
    bool GetLoop() const { return loop; }
    // 0..100; the library plays anything above 100 at 100.
    void SetVolume(int32_t value);
    int32_t GetVolume() const { return volume; }
    // Full volume within this distance (3D only); also the bound's radius.
    void SetMinDistance(float distance);
    float GetMinDistance() const { return minDistance; }

    // Plays only while set.
    bool IsActive() const { return active; }
    void SetActive(bool value) { active = value; }
    bool Is3D() const { return is3D; }
    // Before a load: the stream a later SetSound or Load makes is 3D.
    void Set3D(bool value) { is3D = value; }
    // Stored and loaded as it is; nothing reads it.
    void SetReserved(float value) { reserved = value; }
    const String& GetFileName() const { return fileName; }
    void SetFileName(const String& name) { fileName = name; }
    // The stream's handle, 0 without one.
    uint32_t GetChannel() const { return channel; }
    // Seconds played since the stream was made.
    float GetElapsed() const { return elapsed; }

    // Controllers, world transform; then, while active with a stream, the
    // 3D position relative to the camera and a play that keeps it running.
    void UpdateWorldData(double time) override;
    // A sphere of radius minDistance round the node.
    void UpdateWorldBound() override;

    // streaming: loop, minDistance, reserved, is3D, fileName, active, volume
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    void FreeSound();

    String fileName;
    bool is3D = false;
    bool active = true;
    uint32_t channel = 0;
    std::unique_ptr<uint8_t[]> data; // what the stream plays from
    bool loop = false;
    float minDistance = FLT_MAX;
    float reserved = 0.0f; // stored and loaded; nothing reads it
    int32_t volume = 100;
    float elapsed = 0.0f;
};

// The position of a node relative to the renderer's current camera, in
// world axes, as the 3D sound calls take it.
Vector3 SoundPositionOf(const Node& node);

// A copy of the file's bytes for a stream: 0, 2 out of memory, 3 no file,
// one that cannot be opened or one without data.
int32_t ReadSoundFile(File* file, std::unique_ptr<uint8_t[]>& bytes, uint32_t& size);
