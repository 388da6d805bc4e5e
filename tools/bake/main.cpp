// bake: makes the build's fonts and overlay pictures from a TrueType font.
//   bake font FONT.ttf PICTURE.tga PARAMETERS.txt
//   bake overlays FONT.ttf FOLDER
// The output depends on the font file and this program only, so the build
// runs it again only when either changes.
#include <cstdio>
#include <cstring>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/CodecManager.h"
#include "tools/bake/FontAtlas.h"
#include "tools/bake/Overlays.h"
#include "tools/bake/Typeface.h"

namespace
{

int Run(int argc, char** argv)
{
    const bool font = argc == 5 && std::strcmp(argv[1], "font") == 0;
    const bool overlays = argc == 4 && std::strcmp(argv[1], "overlays") == 0;
    if (!font && !overlays)
    {
        std::fprintf(stderr, "usage: bake font FONT.ttf PICTURE.tga PARAMETERS.txt\n"
                             "       bake overlays FONT.ttf FOLDER\n");
        return 2;
    }
    Typeface typeface;
    if (typeface.Open(argv[2]) != 0)
        return 1;
    // The savers find their codecs by name; they join the table on request.
    for (const char* name : {"TGAImageCodec", "JPGImageCodec"})
    {
        Codec* codec = nullptr;
        if (CodecManager::GetCodec(String(name), &codec) != 0)
        {
            std::fprintf(stderr, "bake: no %s\n", name);
            return 1;
        }
    }
    const int32_t result = font ? BakeFont(typeface, argv[3], argv[4]) : BakeOverlays(typeface, argv[3]);
    return result == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    RegisterEngineClasses();
    if (InitializeEngine() != 0)
    {
        std::fprintf(stderr, "bake: the engine does not start\n");
        return 1;
    }
    const int result = Run(argc, argv);
    TerminateEngine();
    return result;
}
