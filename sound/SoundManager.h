#pragma once
#include <cstdint>

#include "sound/audio/AudioLibrary.h"

// The audio library's functions the program calls, typed. Before the sound
// manager has started (or after it stopped, or when the library lacks one)
// each is a stub that fails: 0, null or nothing.
struct SoundFunctions
{
    decltype(&BASS_GetVersion) GetVersion;
    decltype(&BASS_ErrorGetCode) ErrorGetCode;
    decltype(&BASS_Init) Init;
    decltype(&BASS_Free) Free;
    decltype(&BASS_GetDevice) GetDevice;
    decltype(&BASS_GetDeviceDescription) GetDeviceDescription;
    decltype(&BASS_SetConfig) SetConfig;
    decltype(&BASS_Set3DFactors) Set3DFactors;
    decltype(&BASS_Set3DPosition) Set3DPosition;
    decltype(&BASS_Apply3D) Apply3D;
    decltype(&BASS_StreamCreateFile) StreamCreateFile;
    decltype(&BASS_StreamFree) StreamFree;
    decltype(&BASS_ChannelPlay) ChannelPlay;
    decltype(&BASS_ChannelStop) ChannelStop;
    decltype(&BASS_ChannelIsActive) ChannelIsActive;
    decltype(&BASS_ChannelSetAttributes) ChannelSetAttributes;
    decltype(&BASS_ChannelSetFlags) ChannelSetFlags;
    decltype(&BASS_ChannelSet3DAttributes) ChannelSet3DAttributes;
    decltype(&BASS_ChannelSet3DPosition) ChannelSet3DPosition;
};

// Start-up and shutdown of sound, on the engine's lists: fills one
// process-wide table with the audio library's functions by name, checks
// the library's version, opens the default output device and turns the 3D
// listener with the renderer's camera. The library is built in, so there is
// nothing to extract or load.
class SoundManager
{
public:
    // 0; 1 when the library's version is not the expected one. A missing
    // output device is logged and sound stays silent.
    static int32_t Initialize();
    // Closes the device and empties the table. 0.
    static int32_t Terminate();

    // The global stream volume: value when below 101, else 100.
    static void SetVolume(uint32_t value);

    // Opens the output device (again: a second call with the render window
    // keeps the open device) and logs the outcome. Never fails the caller.
    static void StartDevice(unsigned long window);

    // The typed calls; stubs until Initialize has filled the table.
    static const SoundFunctions& Calls();

    // The table entry of name, one of the library's function names; null
    // for a name not in the table or while the table is empty.
    static AudioEntry GetEntry(const char* name);

    // The library whose exports fill the table at the next Initialize: the
    // built-in one unless a test lends another (null puts it back).
    static void UseLibrary(const AudioExport* exports, uint32_t count);
};
