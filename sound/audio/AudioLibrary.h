#pragma once
#include <cstdint>

// The audio library the program plays through: memory streams of Ogg Vorbis
// and PCM WAV, their volume, looping and place in 3D around one listener,
// and a global stream volume, on the default output device. Its functions
// carry the names and calling forms the sound manager looks up by name in
// AudioLibraryExports, so the program reaches them only through that table.
//
// Handles are 32-bit and never 0; each carries the generation of its slot,
// so a freed or unknown handle fails with kAudioBadHandle instead of
// reaching a freed channel. Every function may be called from one thread
// (the program's main thread); the library's own feeder thread refills the
// playing streams under the library's lock. A failing call returns 0 (or
// the value named below) and leaves its reason for BASS_ErrorGetCode.

// Why the last call of this thread failed.
enum AudioError : int32_t
{
    kAudioOk = 0,
    kAudioNoMemory = 1,
    kAudioNoDevice = 2,     // no output device could be opened
    kAudioNotStarted = 3,   // BASS_Init has not succeeded
    kAudioBadHandle = 4,    // freed, unknown or 0
    kAudioBadFormat = 5,    // not a stream we read, or damaged
    kAudioBadArgument = 6,  // a value outside what the call takes
    kAudioNot3D = 7,        // a 3D call on a channel made without the 3D flag
    kAudioNotAvailable = 8, // a function the library does not provide
};

// Flags and options, as the callers pass them.
enum AudioFlag : uint32_t
{
    kAudioDevice3D = 4,  // BASS_Init: 3D sound
    kAudioLoop = 4,      // channel flag: start again from the first sample at the end
    kAudioStream3D = 8,  // BASS_StreamCreateFile: a mono source placed in 3D
};
enum AudioConfig : uint32_t
{
    kAudioGlobalStreamVolume = 5, // 0..100, a linear gain over every stream
};
// BASS_ChannelIsActive answers.
enum AudioActivity : uint32_t
{
    kAudioStopped = 0,
    kAudioPlaying = 1,
    kAudioPaused = 3,
};

// The version BASS_GetVersion answers.
constexpr uint32_t kAudioVersion = 0x00020002;

// A position or direction in the engine's frame (right x up = forward).
struct AudioVector
{
    float x, y, z;
};

extern "C"
{
uint32_t BASS_GetVersion();
int32_t BASS_ErrorGetCode();
// device -1 is the default (the only one); the frequency is the device's
// mix rate request. A second call while the device is open succeeds and
// keeps it. window and classId are not needed here.
int32_t BASS_Init(int32_t device, uint32_t frequency, uint32_t flags, unsigned long window, const void* classId);
// Frees every stream and closes the device (which completes a recording).
int32_t BASS_Free();
// 1 once BASS_Init succeeded, else -1 (as unsigned).
uint32_t BASS_GetDevice();
// 0 "No sound", 1 the default output device; null for any other.
const char* BASS_GetDeviceDescription(int32_t device);
// Only kAudioGlobalStreamVolume; a value above 100 counts as 100.
int32_t BASS_SetConfig(uint32_t option, uint32_t value);
// The option's value, or 0xFFFFFFFF for an unknown option.
uint32_t BASS_GetConfig(uint32_t option);
// A negative factor leaves that factor as it is. The roll-off applies to
// every 3D channel from the next BASS_Apply3D on.
int32_t BASS_Set3DFactors(float distance, float rollOff, float doppler);
int32_t BASS_Get3DFactors(float* distance, float* rollOff, float* doppler);
// The listener stays at the origin: only front and top (either may be null
// to keep it) are used, from the next BASS_Apply3D on.
int32_t BASS_Set3DPosition(const AudioVector* position, const AudioVector* velocity, const AudioVector* front,
                           const AudioVector* top);
// Makes pending 3D changes (listener, channel positions and distances) heard.
void BASS_Apply3D();
// A stream playing from the memory block (memory must be TRUE; the block is
// the caller's and must stay alive until BASS_StreamFree). flags:
// kAudioStream3D or 0. 0 when the block is not a stream we read.
uint32_t BASS_StreamCreateFile(int32_t memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
int32_t BASS_StreamFree(uint32_t handle);
// Starts or resumes; restart TRUE starts from the first sample. A
// non-looping stream that has ended stays ended until restarted.
int32_t BASS_ChannelPlay(uint32_t handle, int32_t restart);
// Stops where it is; a later play without restart resumes there.
int32_t BASS_ChannelStop(uint32_t handle);
int32_t BASS_ChannelPause(uint32_t handle);
// An AudioActivity.
uint32_t BASS_ChannelIsActive(uint32_t handle);
// kAudioLoop or 0.
int32_t BASS_ChannelSetFlags(uint32_t handle, uint32_t flags);
// volume 0..100 (above plays at 100, negative leaves it); frequency and pan
// are not changed by this library whatever their values.
int32_t BASS_ChannelSetAttributes(uint32_t handle, int32_t frequency, int32_t volume, int32_t pan);
int32_t BASS_ChannelGetAttributes(uint32_t handle, uint32_t* frequency, uint32_t* volume, int32_t* pan);
// Minimum and maximum distance of a 3D channel (negative leaves each); the
// mode and cone values are not used.
int32_t BASS_ChannelSet3DAttributes(uint32_t handle, int32_t mode, float minDistance, float maxDistance,
                                    int32_t insideAngle, int32_t outsideAngle, int32_t outsideVolume);
// The position of a 3D channel relative to the listener (null keeps it);
// orientation and velocity are not used.
int32_t BASS_ChannelSet3DPosition(uint32_t handle, const AudioVector* position, const AudioVector* orientation,
                                  const AudioVector* velocity);
}

// One function of the library by name, as the sound manager finds it.
using AudioEntry = void (*)();
struct AudioExport
{
    const char* name;
    AudioEntry entry;
};

// The library's list of exported functions; its length goes to count.
const AudioExport* AudioLibraryExports(uint32_t& count);
