// scenebuild: builds the show's scene in code and saves it as a scene file.
//   scenebuild OUTPUT.STR
#include <cstdio>
#include <string>

#include "engine/EngineClasses.h"
#include "engine/codecs/STRSceneCodec.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
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

int Build(const char* path)
{
    Ptr<SceneNode> scene = BuildTestScene();
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
