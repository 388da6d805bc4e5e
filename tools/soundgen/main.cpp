// soundgen: makes the show's music and nature sounds from the score and
// the recipes in this folder, as Ogg Vorbis files in OUTPUT_FOLDER:
//   soundgen OUTPUT_FOLDER
// The same build always writes the same bytes. The music and the rest are
// made side by side, on two threads.
#include <cstdio>
#include <string>
#include <thread>

#include "tools/soundgen/Music.h"
#include "tools/soundgen/Nature.h"
#include "tools/soundgen/OggWriter.h"

namespace
{

using namespace soundgen;

// Fixed stream serials, one per file, so no two of them share one.
constexpr uint32_t kMusicSerial = 0x56524E31;

bool Write(const Track& track, float quality, uint32_t serial, const std::string& path)
{
    if (WriteOgg(track, quality, serial, path))
        return true;
    std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: soundgen OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool musicWritten = false;
    std::string error;
    std::thread music([&] {
        Track track(2, MusicFrames());
        if (!MakeMusic(track, error))
            return;
        musicWritten = Write(track, 0.3f, kMusicSerial, folder + "vernalia.ogg");
    });
    const bool natureWritten = Write(MakeBirds(), 0.2f, kMusicSerial + 1, folder + "birds.ogg") &&
                               Write(MakeCuckoo(0), 0.3f, kMusicSerial + 2, folder + "cuckoo1.ogg") &&
                               Write(MakeCuckoo(1), 0.3f, kMusicSerial + 3, folder + "cuckoo2.ogg") &&
                               Write(MakeBrook(), 0.2f, kMusicSerial + 4, folder + "brook.ogg");
    music.join();
    if (!error.empty())
        std::fprintf(stderr, "soundgen: the score: %s\n", error.c_str());
    return musicWritten && natureWritten ? 0 : 1;
}
