// Decoding 2048 x 2048 pictures from memory, in megabytes of decoded pixels
// per second: a JPEG through the engine's codec against the library's own
// djpeg on the same file (a whole process per run, its start included), and
// a 32-bit Targa picture with and without the byte exchange. The engine's
// rates are per CPU second of the decoding thread; djpeg's "cpu" counter is
// per CPU second of the child processes, so a busy machine skews neither.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image/Image.h"
#include "engine/codecs/image/JPGImageCodec.h"
#include "engine/codecs/image/TGAImageCodec.h"
#include "engine/core/Ptr.h"
#include "engine/files/VirtualFile.h"
#include "support/TemporaryFolder.h"

namespace
{

constexpr uint32_t kSide = 2048;

// Something like a photograph: broad gradients, finer waves and a little
// noise, so the JPEG has real detail to code.
Ptr<Image> Picture(int32_t format)
{
    Ptr<Image> image = new Image(String("bench"), format, kSide, kSide);
    const uint32_t bytes = image->GetBytesPerPixel();
    uint32_t noise = 12345;
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x)
        {
            noise = noise * 1103515245u + 12345u;
            const double wave = 40.0 * std::sin(x * 0.05) * std::cos(y * 0.03);
            for (uint32_t c = 0; c < bytes; ++c)
            {
                double value = (x + y * (c + 1)) * 255.0 / (kSide * 4) + 100 + wave + ((noise >> (c * 8)) & 15);
                image->GetData()[(uint64_t(y) * kSide + x) * bytes + c] =
                    static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
            }
        }
    return image;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb"))
    {
        uint8_t block[65536];
        size_t count;
        while ((count = std::fread(block, 1, sizeof(block), in)) > 0)
            bytes.insert(bytes.end(), block, block + count);
        std::fclose(in);
    }
    return bytes;
}

// The files, made once: the engine's own JPEG save (quality 100), the same
// picture at quality 85 from cjpeg, and the two Targa pictures.
struct Files
{
    Files()
    {
        Ptr<Image> rgb = Picture(Image::kPixel24);
        jpeg100 = folder.Path() + "/q100.jpg";
        File out{String(jpeg100.c_str())};
        JPGImageCodec().SaveImage(&out, rgb.Get());
        jpeg85 = folder.Path() + "/q85.jpg";
        std::string command = "djpeg -pnm '" + jpeg100 + "' | cjpeg -quality 85 > '" + jpeg85 + "'";
        if (std::system(command.c_str()) != 0)
            jpeg85 = jpeg100;

        Ptr<Image> rgba = Picture(Image::kPixel32);
        tgaTopLeft = folder.Path() + "/top.tga";
        File tga{String(tgaTopLeft.c_str())};
        TGAImageCodec().SaveImage(&tga, rgba.Get());
        tgaBottomLeft = folder.Path() + "/bottom.tga";
        std::vector<uint8_t> bytes = ReadAll(tgaTopLeft);
        bytes[17] = 0x08;
        if (FILE* outFile = std::fopen(tgaBottomLeft.c_str(), "wb"))
        {
            std::fwrite(bytes.data(), 1, bytes.size(), outFile);
            std::fclose(outFile);
        }
    }

    TemporaryFolder folder;
    std::string jpeg100, jpeg85, tgaTopLeft, tgaBottomLeft;
};

Files& TheFiles()
{
    static Files files;
    return files;
}

void Decode(benchmark::State& state, Codec& codec, const std::string& path, const char* name)
{
    const std::vector<uint8_t> bytes = ReadAll(path);
    uint64_t pixelBytes = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        uint8_t* copy = new uint8_t[bytes.size()];
        std::memcpy(copy, bytes.data(), bytes.size());
        VirtualFile file(String(name), copy, static_cast<uint32_t>(bytes.size()));
        state.ResumeTiming();
        Image* image = nullptr;
        if (codec.LoadImage(&file, &image) != 0)
        {
            state.SkipWithError("decode failed");
            break;
        }
        Ptr<Image> hold = image;
        pixelBytes = hold->GetDataSize();
        benchmark::DoNotOptimize(hold->GetData());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pixelBytes));
    state.counters["file_MB"] = bytes.size() / 1e6;
}

void EngineJpeg(benchmark::State& state)
{
    JPGImageCodec codec;
    Decode(state, codec, state.range(0) == 100 ? TheFiles().jpeg100 : TheFiles().jpeg85, "bench.jpg");
}
BENCHMARK(EngineJpeg)->Arg(100)->Arg(85)->Unit(benchmark::kMillisecond);

void Djpeg(benchmark::State& state)
{
    const std::string path = state.range(0) == 100 ? TheFiles().jpeg100 : TheFiles().jpeg85;
    const std::string command = "djpeg -outfile /dev/null '" + path + "'";
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
        {
            state.SkipWithError("djpeg failed");
            break;
        }
    getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    const double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
                       seconds(before.ru_stime);
    const double pixelBytes = double(state.iterations()) * kSide * kSide * 3;
    state.SetBytesProcessed(static_cast<int64_t>(pixelBytes));
    state.counters["cpu_MBps"] = cpu > 0 ? pixelBytes / cpu / 1e6 : 0;
}
BENCHMARK(Djpeg)->Arg(100)->Arg(85)->Unit(benchmark::kMillisecond)->UseRealTime();

void EngineTga(benchmark::State& state)
{
    TGAImageCodec codec;
    Decode(state, codec, state.range(0) ? TheFiles().tgaBottomLeft : TheFiles().tgaTopLeft, "bench.tga");
}
// 1: bottom-left origin (bytes exchanged, the shipped kind); 0: top-left.
BENCHMARK(EngineTga)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
