// Plays one sound file through the audio library for a while, as the
// recording tests ask: the output goes wherever ALSOFT_CONF sends it.
//   sound_probe FILE VOLUME GLOBAL IS3D X Y Z MINDISTANCE ROLLOFF MILLISECONDS
// The listener faces +z with +y up, in the engine's frame. Exit 0 when the
// stream played, 1 on bad arguments, 2 when the library refused.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "sound/audio/AudioLibrary.h"

int main(int argc, char** argv)
{
    if (argc != 11)
        return 1;
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const bool is3D = std::atoi(argv[4]) != 0;
    const AudioVector position = {static_cast<float>(std::atof(argv[5])), static_cast<float>(std::atof(argv[6])),
                                  static_cast<float>(std::atof(argv[7]))};
    const AudioVector front = {0, 0, 1}, top = {0, 1, 0};
    if (!BASS_Init(-1, 44100, kAudioDevice3D, 0, nullptr))
        return 2;
    BASS_Set3DFactors(1.0f, static_cast<float>(std::atof(argv[9])), 1.0f);
    BASS_Set3DPosition(nullptr, nullptr, &front, &top);
    const uint32_t handle = BASS_StreamCreateFile(1, file.data(), 0, static_cast<uint32_t>(file.size()),
                                                  is3D ? static_cast<uint32_t>(kAudioStream3D) : 0u);
    if (!handle)
        return 2;
    BASS_ChannelSetFlags(handle, kAudioLoop);
    BASS_ChannelSetAttributes(handle, -1, std::atoi(argv[2]), -101);
    BASS_SetConfig(kAudioGlobalStreamVolume, static_cast<uint32_t>(std::atoi(argv[3])));
    if (is3D)
    {
        BASS_ChannelSet3DAttributes(handle, 0, static_cast<float>(std::atof(argv[8])), -1.0f, -1, -1, -1);
        BASS_ChannelSet3DPosition(handle, &position, nullptr, nullptr);
    }
    BASS_Apply3D();
    if (!BASS_ChannelPlay(handle, 0))
        return 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[10])));
    BASS_Free();
    return 0;
}
