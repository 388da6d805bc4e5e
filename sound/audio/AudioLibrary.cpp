#include "sound/audio/AudioLibrary.h"

#include <cfloat>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include <AL/al.h>
#include <AL/alc.h>

#include "sound/audio/StreamDecoder.h"

namespace
{

// Frames per queued buffer (about 46 ms at 44.1 kHz) and buffers per
// stream: the feeder has some 140 ms to come round before a stream starves.
constexpr uint32_t kBufferFrames = 2048;
constexpr int kQueueLength = 4;
// How often the feeder looks at the queues.
constexpr auto kFeederPeriod = std::chrono::milliseconds(10);
// Handle = generation << kSlotBits | (slot + 1).
constexpr uint32_t kSlotBits = 12;
constexpr uint32_t kMaxSlots = (1u << kSlotBits) - 1;

enum class PlayState
{
    kStopped,
    kPlaying,
    kPaused,
};

// A stream and the source it plays on.
struct Channel
{
    std::unique_ptr<StreamDecoder> decoder;
    ALuint source = 0;
    ALuint buffers[kQueueLength] = {};
    std::vector<ALuint> idle;   // buffers not queued on the source
    bool is3D = false;
    bool loop = false;
    PlayState state = PlayState::kStopped;
    bool drained = false;       // the decoder gave its last frame
    bool ended = false;         // played out (or broken): stays so until restarted
    int32_t volume = 100;
    float minDistance = 1.0f;
    float maxDistance = FLT_MAX;
    AudioVector position = {0, 0, 0};
};

struct Slot
{
    uint32_t generation = 1;
    std::unique_ptr<Channel> channel;
};

// Everything the feeder shares with the calling thread, under lock.
struct Library
{
    std::mutex lock;
    std::condition_variable wake;
    std::thread feeder;
    bool stopping = false;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    std::string description;
    std::vector<Slot> slots;
    uint32_t globalVolume = 100;
    float distanceFactor = 1.0f;
    float rollOff = 1.0f;
    float doppler = 1.0f;
    AudioVector front = {0, 0, 1};
    AudioVector top = {0, 1, 0};
    std::vector<int16_t> scratch = std::vector<int16_t>(kBufferFrames * 2);
};

Library& State()
{
    static Library* library = new Library(); // outlives every static that might still call in
    return *library;
}

thread_local int32_t lastError = kAudioOk;

// The result of a call: value, with why for BASS_ErrorGetCode.
template <typename T>
T Result(AudioError why, T value)
{
    lastError = why;
    return value;
}

// The channel of handle, or null; the lock is held.
Channel* Find(Library& library, uint32_t handle)
{
    const uint32_t index = (handle & kMaxSlots) - 1;
    if ((handle & kMaxSlots) == 0 || index >= library.slots.size())
        return nullptr;
    Slot& slot = library.slots[index];
    return slot.channel && slot.generation == handle >> kSlotBits ? slot.channel.get() : nullptr;
}

// Our frame has right x up = forward, OpenAL's the opposite.
void ToOpenAl(const AudioVector& v, ALfloat* out)
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = -v.z;
}

void ApplyChannel3D(const Library& library, Channel& channel)
{
    ALfloat place[3];
    ToOpenAl(channel.position, place);
    alSourcefv(channel.source, AL_POSITION, place);
    alSourcef(channel.source, AL_REFERENCE_DISTANCE, channel.minDistance);
    alSourcef(channel.source, AL_MAX_DISTANCE, channel.maxDistance);
    alSourcef(channel.source, AL_ROLLOFF_FACTOR, library.rollOff);
}

// Decodes into the idle buffers and queues them. Looping streams continue
// from the first frame inside the same buffer, so the loop has no gap. A
// decoding error ends the channel.
void Fill(Library& library, Channel& channel)
{
    StreamDecoder& decoder = *channel.decoder;
    const uint32_t sourceChannels = decoder.GetChannels();
    const uint32_t outChannels = channel.is3D ? 1 : sourceChannels;
    while (!channel.idle.empty() && !channel.drained)
    {
        int16_t* samples = library.scratch.data();
        uint32_t frames = 0;
        bool rewound = false; // one rewind per buffer: an empty stream must not spin
        while (frames < kBufferFrames)
        {
            const int32_t got = decoder.Decode(samples + frames * sourceChannels, kBufferFrames - frames);
            if (got < 0)
            {
                alSourceStop(channel.source);
                channel.state = PlayState::kStopped;
                channel.drained = channel.ended = true;
                return;
            }
            if (got > 0)
            {
                frames += static_cast<uint32_t>(got);
                rewound = false;
                continue;
            }
            if (!channel.loop || rewound || !decoder.Rewind())
            {
                channel.drained = true;
                break;
            }
            rewound = true;
        }
        if (frames == 0)
            break;
        if (outChannels != sourceChannels) // a 3D source is mono
            for (uint32_t i = 0; i < frames; ++i)
                samples[i] = static_cast<int16_t>((samples[2 * i] + samples[2 * i + 1]) / 2);
        const ALuint buffer = channel.idle.back();
        channel.idle.pop_back();
        alBufferData(buffer, outChannels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, samples,
                     static_cast<ALsizei>(frames * outChannels * sizeof(int16_t)),
                     static_cast<ALsizei>(decoder.GetRate()));
        alSourceQueueBuffers(channel.source, 1, &buffer);
    }
}

// Takes the played buffers back, refills, restarts a starved source and
// notices the end of a stream that is not looping.
void Service(Library& library, Channel& channel)
{
    ALint processed = 0;
    alGetSourcei(channel.source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0)
    {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(channel.source, 1, &buffer);
        channel.idle.push_back(buffer);
    }
    Fill(library, channel);
    if (channel.state != PlayState::kPlaying)
        return;
    ALint queued = 0, state = 0;
    alGetSourcei(channel.source, AL_BUFFERS_QUEUED, &queued);
    alGetSourcei(channel.source, AL_SOURCE_STATE, &state);
    if (queued == 0 && channel.drained)
    {
        channel.state = PlayState::kStopped;
        channel.ended = true;
    }
    else if (state != AL_PLAYING && queued > 0)
        alSourcePlay(channel.source);
}

void Feed(Library& library)
{
    std::unique_lock<std::mutex> held(library.lock);
    while (!library.stopping)
    {
        for (Slot& slot : library.slots)
            if (slot.channel && slot.channel->state == PlayState::kPlaying)
                Service(library, *slot.channel);
        library.wake.wait_for(held, kFeederPeriod);
    }
}

void DeleteChannel(Channel& channel)
{
    alSourceStop(channel.source);
    alSourcei(channel.source, AL_BUFFER, 0);
    alDeleteSources(1, &channel.source);
    alDeleteBuffers(kQueueLength, channel.buffers);
}

} // namespace

extern "C"
{

uint32_t BASS_GetVersion()
{
    return kAudioVersion;
}

int32_t BASS_ErrorGetCode()
{
    return lastError;
}

int32_t BASS_Init(int32_t device, uint32_t frequency, uint32_t, unsigned long, const void*)
{
    Library& library = State();
    if (device != -1 && device != 1)
        return Result(kAudioBadArgument, 0);
    std::lock_guard<std::mutex> held(library.lock);
    if (library.device)
        return Result(kAudioOk, 1);
    ALCdevice* opened = alcOpenDevice(nullptr);
    if (!opened)
        return Result(kAudioNoDevice, 0);
    const ALCint attributes[] = {ALC_FREQUENCY, static_cast<ALCint>(frequency ? frequency : 44100), 0};
    ALCcontext* context = alcCreateContext(opened, attributes);
    if (!context || alcMakeContextCurrent(context) != ALC_TRUE)
    {
        if (context)
            alcDestroyContext(context);
        alcCloseDevice(opened);
        return Result(kAudioNoDevice, 0);
    }
    library.device = opened;
    library.context = context;
    const ALCchar* name = alcGetString(opened, ALC_DEVICE_SPECIFIER);
    library.description = name ? name : "";
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alListenerf(AL_GAIN, static_cast<ALfloat>(library.globalVolume) / 100.0f);
    library.stopping = false;
    library.feeder = std::thread(Feed, std::ref(library));
    return Result(kAudioOk, 1);
}

int32_t BASS_Free()
{
    Library& library = State();
    {
        std::lock_guard<std::mutex> held(library.lock);
        if (!library.device)
            return Result(kAudioNotStarted, 0);
        library.stopping = true;
    }
    library.wake.notify_all();
    library.feeder.join();
    std::lock_guard<std::mutex> held(library.lock);
    for (Slot& slot : library.slots)
        if (slot.channel)
        {
            DeleteChannel(*slot.channel);
            slot.channel.reset();
            ++slot.generation;
        }
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(library.context);
    alcCloseDevice(library.device);
    library.context = nullptr;
    library.device = nullptr;
    return Result(kAudioOk, 1);
}

uint32_t BASS_GetDevice()
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    return library.device ? Result(kAudioOk, 1u) : Result(kAudioNotStarted, 0xFFFFFFFFu);
}

const char* BASS_GetDeviceDescription(int32_t device)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    if (device == 0)
        return Result(kAudioOk, "No sound");
    if (device != 1)
        return Result(kAudioBadArgument, static_cast<const char*>(nullptr));
    if (library.device)
        return Result(kAudioOk, library.description.c_str());
    const ALCchar* name = alcGetString(nullptr, ALC_DEFAULT_DEVICE_SPECIFIER);
    return Result(kAudioOk, name ? name : "Default");
}

int32_t BASS_SetConfig(uint32_t option, uint32_t value)
{
    if (option != kAudioGlobalStreamVolume)
        return Result(kAudioBadArgument, 0);
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    library.globalVolume = value > 100 ? 100 : value;
    if (library.device)
        alListenerf(AL_GAIN, static_cast<ALfloat>(library.globalVolume) / 100.0f);
    return Result(kAudioOk, 1);
}

uint32_t BASS_GetConfig(uint32_t option)
{
    if (option != kAudioGlobalStreamVolume)
        return Result(kAudioBadArgument, 0xFFFFFFFFu);
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    return Result(kAudioOk, library.globalVolume);
}

int32_t BASS_Set3DFactors(float distance, float rollOff, float doppler)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    // Written as "not below 0" so that NaN, too, leaves a factor alone.
    if (distance >= 0.0f)
        library.distanceFactor = distance;
    if (rollOff >= 0.0f)
        library.rollOff = rollOff;
    if (doppler >= 0.0f)
        library.doppler = doppler;
    return Result(kAudioOk, 1);
}

int32_t BASS_Get3DFactors(float* distance, float* rollOff, float* doppler)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    if (distance)
        *distance = library.distanceFactor;
    if (rollOff)
        *rollOff = library.rollOff;
    if (doppler)
        *doppler = library.doppler;
    return Result(kAudioOk, 1);
}

int32_t BASS_Set3DPosition(const AudioVector*, const AudioVector*, const AudioVector* front, const AudioVector* top)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    if (front)
        library.front = *front;
    if (top)
        library.top = *top;
    return Result(kAudioOk, 1);
}

void BASS_Apply3D()
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    if (!library.device)
        return;
    ALfloat orientation[6];
    ToOpenAl(library.front, orientation);
    ToOpenAl(library.top, orientation + 3);
    alListenerfv(AL_ORIENTATION, orientation);
    for (Slot& slot : library.slots)
        if (slot.channel && slot.channel->is3D)
            ApplyChannel3D(library, *slot.channel);
}

uint32_t BASS_StreamCreateFile(int32_t memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags)
{
    Library& library = State();
    if (!memory || !file)
        return Result(kAudioBadArgument, 0u);
    std::unique_ptr<Channel> channel(new (std::nothrow) Channel());
    if (!channel)
        return Result(kAudioNoMemory, 0u);
    const DecoderResult opened =
        OpenStreamDecoder(static_cast<const uint8_t*>(file) + offset, length, channel->decoder);
    if (opened != DecoderResult::kOk)
        return Result(opened == DecoderResult::kNoMemory ? kAudioNoMemory : kAudioBadFormat, 0u);
    channel->is3D = (flags & kAudioStream3D) != 0;

    std::lock_guard<std::mutex> held(library.lock);
    if (!library.device)
        return Result(kAudioNotStarted, 0u);
    uint32_t index = 0;
    while (index < library.slots.size() && library.slots[index].channel)
        ++index;
    if (index == kMaxSlots)
        return Result(kAudioNoMemory, 0u);
    if (index == library.slots.size())
        library.slots.emplace_back();

    alGetError();
    alGenSources(1, &channel->source);
    if (alGetError() != AL_NO_ERROR)
        return Result(kAudioNoMemory, 0u);
    alGenBuffers(kQueueLength, channel->buffers);
    if (alGetError() != AL_NO_ERROR)
    {
        alDeleteSources(1, &channel->source);
        return Result(kAudioNoMemory, 0u);
    }
    channel->idle.assign(channel->buffers, channel->buffers + kQueueLength);
    if (channel->is3D)
    {
        alSourcei(channel->source, AL_SOURCE_RELATIVE, AL_FALSE);
        ApplyChannel3D(library, *channel);
    }
    else
    {
        // Heard as it is: at the listener, never attenuated by distance.
        alSourcei(channel->source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(channel->source, AL_POSITION, 0, 0, 0);
        alSourcef(channel->source, AL_ROLLOFF_FACTOR, 0);
    }
    Slot& slot = library.slots[index];
    slot.channel = std::move(channel);
    return Result(kAudioOk, slot.generation << kSlotBits | (index + 1));
}

int32_t BASS_StreamFree(uint32_t handle)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    DeleteChannel(*channel);
    Slot& slot = library.slots[(handle & kMaxSlots) - 1];
    slot.channel.reset();
    // A new generation, never 0, so the old handle is unknown from now on.
    slot.generation = (slot.generation + 1) & ((1u << (32 - kSlotBits)) - 1);
    if (slot.generation == 0)
        slot.generation = 1;
    return Result(kAudioOk, 1);
}

int32_t BASS_ChannelPlay(uint32_t handle, int32_t restart)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    if (restart)
    {
        alSourceStop(channel->source);
        alSourcei(channel->source, AL_BUFFER, 0);
        channel->idle.assign(channel->buffers, channel->buffers + kQueueLength);
        if (!channel->decoder->Rewind())
            return Result(kAudioBadFormat, 0);
        channel->drained = channel->ended = false;
    }
    else if (channel->state == PlayState::kPlaying || channel->ended)
        return Result(kAudioOk, 1);
    Fill(library, *channel);
    if (channel->ended) // broken at the first buffer
        return Result(kAudioBadFormat, 0);
    alSourcePlay(channel->source);
    channel->state = PlayState::kPlaying;
    return Result(kAudioOk, 1);
}

int32_t BASS_ChannelStop(uint32_t handle)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    // Paused underneath, so that a play without restart goes on from here.
    alSourcePause(channel->source);
    channel->state = PlayState::kStopped;
    return Result(kAudioOk, 1);
}

int32_t BASS_ChannelPause(uint32_t handle)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    if (channel->state != PlayState::kPlaying)
        return Result(kAudioBadArgument, 0);
    alSourcePause(channel->source);
    channel->state = PlayState::kPaused;
    return Result(kAudioOk, 1);
}

uint32_t BASS_ChannelIsActive(uint32_t handle)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, static_cast<uint32_t>(kAudioStopped));
    const AudioActivity activity = channel->state == PlayState::kPlaying  ? kAudioPlaying
                                   : channel->state == PlayState::kPaused ? kAudioPaused
                                                                          : kAudioStopped;
    return Result(kAudioOk, static_cast<uint32_t>(activity));
}

int32_t BASS_ChannelSetFlags(uint32_t handle, uint32_t flags)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    channel->loop = (flags & kAudioLoop) != 0;
    return Result(kAudioOk, 1);
}

int32_t BASS_ChannelSetAttributes(uint32_t handle, int32_t, int32_t volume, int32_t)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    if (volume >= 0)
    {
        channel->volume = volume > 100 ? 100 : volume;
        alSourcef(channel->source, AL_GAIN, static_cast<ALfloat>(channel->volume) / 100.0f);
    }
    return Result(kAudioOk, 1);
}

int32_t BASS_ChannelGetAttributes(uint32_t handle, uint32_t* frequency, uint32_t* volume, int32_t* pan)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    if (frequency)
        *frequency = channel->decoder->GetRate();
    if (volume)
        *volume = static_cast<uint32_t>(channel->volume);
    if (pan)
        *pan = 0;
    return Result(kAudioOk, 1);
}

int32_t BASS_ChannelSet3DAttributes(uint32_t handle, int32_t, float minDistance, float maxDistance, int32_t,
                                    int32_t, int32_t)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    if (!channel->is3D)
        return Result(kAudioNot3D, 0);
    // Written as "not below 0" so that NaN, too, leaves a distance alone.
    if (minDistance >= 0.0f)
        channel->minDistance = minDistance;
    if (maxDistance >= 0.0f)
        channel->maxDistance = maxDistance;
    return Result(kAudioOk, 1);
}

int32_t BASS_ChannelSet3DPosition(uint32_t handle, const AudioVector* position, const AudioVector*,
                                  const AudioVector*)
{
    Library& library = State();
    std::lock_guard<std::mutex> held(library.lock);
    Channel* channel = Find(library, handle);
    if (!channel)
        return Result(kAudioBadHandle, 0);
    if (!channel->is3D)
        return Result(kAudioNot3D, 0);
    if (position)
        channel->position = *position;
    return Result(kAudioOk, 1);
}

} // extern "C"

namespace
{

template <typename Function>
AudioEntry Entry(Function function)
{
    return reinterpret_cast<AudioEntry>(function);
}

const AudioExport kExports[] = {
    {"BASS_GetVersion", Entry(&BASS_GetVersion)},
    {"BASS_ErrorGetCode", Entry(&BASS_ErrorGetCode)},
    {"BASS_Init", Entry(&BASS_Init)},
    {"BASS_Free", Entry(&BASS_Free)},
    {"BASS_GetDevice", Entry(&BASS_GetDevice)},
    {"BASS_GetDeviceDescription", Entry(&BASS_GetDeviceDescription)},
    {"BASS_SetConfig", Entry(&BASS_SetConfig)},
    {"BASS_GetConfig", Entry(&BASS_GetConfig)},
    {"BASS_Set3DFactors", Entry(&BASS_Set3DFactors)},
    {"BASS_Get3DFactors", Entry(&BASS_Get3DFactors)},
    {"BASS_Set3DPosition", Entry(&BASS_Set3DPosition)},
    {"BASS_Apply3D", Entry(&BASS_Apply3D)},
    {"BASS_StreamCreateFile", Entry(&BASS_StreamCreateFile)},
    {"BASS_StreamFree", Entry(&BASS_StreamFree)},
    {"BASS_ChannelPlay", Entry(&BASS_ChannelPlay)},
    {"BASS_ChannelStop", Entry(&BASS_ChannelStop)},
    {"BASS_ChannelPause", Entry(&BASS_ChannelPause)},
    {"BASS_ChannelIsActive", Entry(&BASS_ChannelIsActive)},
    {"BASS_ChannelSetFlags", Entry(&BASS_ChannelSetFlags)},
    {"BASS_ChannelSetAttributes", Entry(&BASS_ChannelSetAttributes)},
    {"BASS_ChannelGetAttributes", Entry(&BASS_ChannelGetAttributes)},
    {"BASS_ChannelSet3DAttributes", Entry(&BASS_ChannelSet3DAttributes)},
    {"BASS_ChannelSet3DPosition", Entry(&BASS_ChannelSet3DPosition)},
};

} // namespace

const AudioExport* AudioLibraryExports(uint32_t& count)
{
    count = sizeof(kExports) / sizeof(kExports[0]);
    return kExports;
}
