// scenebuild: builds the show's scene in code and saves it as a scene file,
// with the pictures its textures refer to written beside it.
//   scenebuild OUTPUT.STR
#include <cstdio>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/image/Image.h"
#include "engine/codecs/STRSceneCodec.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/scene/SceneNode.h"
#include "tools/scenebuild/TestScene.h"

namespace
{

// Windows-1251 to UTF-8 for the terminal: ASCII as is, the Cyrillic block
// (and Ё, ё) mapped, anything else as "?".
std::string ToUtf8(const String& text)
{
    std::string out;
    for (uint32_t i = 0; i < text.Length(); ++i)
    {
        const auto byte = static_cast<unsigned char>(text.CStr()[i]);
        unsigned code = byte;
        if (byte >= 0xC0)
            code = 0x410 + (byte - 0xC0);
        else if (byte == 0xA8)
            code = 0x401;
        else if (byte == 0xB8)
            code = 0x451;
        else if (byte >= 0x80)
            code = '?';
        if (code < 0x80)
        {
            out += static_cast<char>(code);
        }
        else
        {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// Warnings and errors to standard error; the engine's information lines
// are not wanted in a build log.
class ErrorOutput : public MessageOutput
{
public:
    ErrorOutput() : MessageOutput(String("scenebuild")) {}
    void Output(int32_t level, const String& text) override
    {
        if (level >= kLogWarning)
            std::fprintf(stderr, "scenebuild: %s\n", ToUtf8(text).c_str());
    }
};

// The folder part of path, with its last slash; empty for a bare name.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int Build(const char* path)
{
    std::vector<Ptr<Image>> pictures;
    Ptr<SceneNode> scene = BuildTestScene(pictures);
    // The pictures first: a scene file without them would load untextured.
    // Codecs join the table on their first request, and a picture is saved
    // through whichever its file name's extension selects.
    for (const char* name : {"JPGImageCodec", "TGAImageCodec"})
    {
        Codec* codec = nullptr;
        CodecManager::GetCodec(String(name), &codec);
    }
    const std::string folder = FolderOf(path);
    for (const Ptr<Image>& picture : pictures)
    {
        const std::string target = folder + picture->GetFileName().CStr();
        File output{String(target.c_str())};
        if (picture->SaveToFile(&output) != 0)
        {
            std::fprintf(stderr, "scenebuild: cannot write %s\n", target.c_str());
            return 1;
        }
    }
    STRSceneCodec codec;
    File file{String(path)};
    if (codec.SaveScene(&file, scene.Get()) != 0)
    {
        std::fprintf(stderr, "scenebuild: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: scenebuild OUTPUT.STR\n");
        return 2;
    }
    Ptr<ErrorOutput> output = new ErrorOutput();
    RegisterMessageOutput(output.Get());
    RegisterEngineClasses();
    if (InitializeEngine() != 0)
    {
        std::fprintf(stderr, "scenebuild: the engine does not start\n");
        return 1;
    }
    const int result = Build(argv[1]);
    TerminateEngine();
    UnregisterMessageOutput(output.Get());
    return result;
}
