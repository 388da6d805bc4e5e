#include "tools/qre/ImageCommand.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image/Image.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "tools/qre/ReasonCollector.h"
#include "tools/qre/TextConversion.h"

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: qre image FILE [-o RAW]\n");
    return 2;
}

int WriteRaw(const char* path, const Image& image)
{
    FILE* out = std::fopen(path, "wb");
    if (!out)
    {
        std::fprintf(stderr, "qre: cannot write %s\n", path);
        return 1;
    }
    const size_t size = static_cast<size_t>(image.GetDataSize());
    const bool written = std::fwrite(image.GetData(), 1, size, out) == size;
    if (std::fclose(out) != 0 || !written)
    {
        std::fprintf(stderr, "qre: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

// The decode itself, with the log collected into reasons.
Ptr<Image> Decode(const char* path, std::vector<std::string>& reasons)
{
    Ptr<ReasonCollector> collector = new ReasonCollector(reasons);
    RegisterMessageOutput(collector.Get());

    // Codecs join the table on first request, as the show asks for them.
    Codec* codec = nullptr;
    for (const char* name : {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec"})
        CodecManager::GetCodec(String(name), &codec);

    Ptr<Image> image;
    File file{String(path)};
    codec = CodecManager::FindCodecForFile(&file);
    if (!codec || codec->GetCodecType() != Codec::kImageCodec)
        reasons.emplace_back("no image codec for this extension");
    else
    {
        Image* loaded = nullptr;
        const int32_t result = codec->LoadImage(&file, &loaded);
        Ptr<Image> hold = loaded;
        if (result == 0 && hold && hold->GetData())
            image = hold;
        else if (reasons.empty())
            reasons.emplace_back("the codec refused the file");
    }
    UnregisterMessageOutput(collector.Get());
    return image;
}

} // namespace

int RunImageCommand(int argc, char** argv)
{
    const char* path = nullptr;
    const char* rawPath = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc && !rawPath)
            rawPath = argv[++i];
        else if (!path && argv[i][0] != '-')
            path = argv[i];
        else
            return Usage();
    }
    if (!path)
        return Usage();

    std::vector<std::string> reasons;
    Ptr<Image> image = Decode(path, reasons);
    if (!image)
    {
        std::fprintf(stderr, "qre: %s does not decode\n", path);
        for (const std::string& reason : reasons)
            std::fprintf(stderr, "  %s\n", Cp1251ToUtf8(reason).c_str());
        return 1;
    }
    std::printf("%u %u %d\n", image->GetWidth(), image->GetHeight(), image->GetFormat());
    std::fflush(stdout);
    return rawPath ? WriteRaw(rawPath, *image) : 0;
}
