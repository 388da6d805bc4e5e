#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Array.h"
#include "engine/core/Object.h"
#include "engine/scene/AnimationKey.h"

// Keyframes along a track, in ascending time: the data that animation
// controllers sample and blend. Each kind of animation holds keys of one
// kind only, made by CreateKey, so a controller that knows the animation's
// class knows its keys. Abstract by name: a file always names a kind.
class Animation : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit Animation(const String& name = String());
    ~Animation() override;

    uint32_t GetKeyCount() const { return keys.Count(); }
    // index < GetKeyCount(); the key is of this animation's kind.
    const AnimationKey& GetKey(uint32_t index) const { return *keys[index]; }
    // Sampling searches these: kept next to the keys, read without a call.
    double GetKeyTime(uint32_t index) const { return keys[index]->time; }

    // Appends a key of this animation's kind with its default values at
    // time: 0, 2 out of memory, 3 a time that is not finite (logged).
    int32_t AddKey(double time);

    // streaming: key count, then each key's record
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // A new key of this animation's kind, or null without memory.
    virtual std::unique_ptr<AnimationKey> CreateKey() const;
    // The stored size of one key, so a count can be checked before keys are made.
    virtual uint32_t GetKeyRecordSize() const { return AnimationKey::kRecordSize; }

    // For the kinds' own AddKey: key must be of this animation's kind.
    // Results as AddKey.
    int32_t AppendKey(std::unique_ptr<AnimationKey> key);

private:
    Array<std::unique_ptr<AnimationKey>> keys{1, 1};
};
