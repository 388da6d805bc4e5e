#pragma once
#include <cfloat>
#include <cstdint>
#include <memory>

#include "engine/core/String.h"
#include "engine/scene/Node.h"

// A source that alternates at random between two sounds (two calls of one
// bird): every interval, give or take the spread, it starts A or B afresh
// and stops the other.
class SoundNode2 : public Node
{
    QRE_DECLARE_CLASS

public:
    explicit SoundNode2(const String& name = String());
    // Both streams first, then their blocks.
    ~SoundNode2() override;

    // Frees both streams and blocks, then makes a stream of each named file
    // that the mounted archives hold (3D when is3D); neither loops. 0, 2 out
    // of memory.
    int32_t SetSounds();

    void SetFileNames(const String& a, const String& b)
    {
        fileNameA = a;
        fileNameB = b;
    }
    void Set3D(bool value) { is3D = value; }
    bool Is3D() const { return is3D; }
    // On both channels.
    void SetVolume(int32_t value);
    int32_t GetVolume() const { return volume; }
    void SetMinDistance(float distance);
    // Seconds between switches, and how far a switch may fall either side.
    void SetTiming(float newInterval, float newSpread)
    {
        interval = newInterval;
        spread = newSpread;
    }
    uint32_t GetChannelA() const { return channelA; }
    uint32_t GetChannelB() const { return channelB; }
    // The channel playing now, 0 before the first switch.
    uint32_t GetCurrent() const { return current; }

    // Controllers, world transform, then the switches that fall in this
    // step (at most kMaxSwitches) and the 3D position of the current sound.
    void UpdateWorldData(double time) override;
    // A sphere of radius minDistance round the node.
    void UpdateWorldBound() override;

    // Switches closer than this would not be heard apart; an interval of 0
    // or a spread above it must not switch without end.
    static constexpr float kMinSwitchTime = 0.05f;
    // A step longer than this many switches drops the rest.
    static constexpr uint32_t kMaxSwitches = 16;

    // streaming: fileNameA, fileNameB, minDistance, is3D, volume, interval,
    // spread
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    void FreeSounds();
    // A stream of the named file, or 0; 2 out of memory.
    int32_t MakeStream(const String& name, std::unique_ptr<uint8_t[]>& data, uint32_t& channel);

    String fileNameA;
    String fileNameB;
    uint32_t channelA = 0;
    uint32_t channelB = 0;
    std::unique_ptr<uint8_t[]> dataA;
    std::unique_ptr<uint8_t[]> dataB;
    float minDistance = FLT_MAX;
    bool is3D = false;
    int32_t volume = 100;
    float interval = 1.0f;
    float spread = 0.0f;
    float elapsed = 0.0f;
    float nextSwitch = 0.0f;
    uint32_t current = 0;
};
