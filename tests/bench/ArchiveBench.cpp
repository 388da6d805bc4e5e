// The archive reader and packer on one archive of mixed real data (the
// engine's own sources as text, a recorded WAV, a JPEG and a program from a
// real RAR 2.x archive, generated texture-like pixels):
//   Extract      our extraction of every member, MB/s of unpacked data
//   UnarExtract  Debian's unar extracting the same archive (whole process;
//                UnarStartup is the part that is only starting it)
//   Pack         our packer, with the packed size against gzip -9 on the
//                same files as counters
//   MountShipped the three archives the executable carries, mounted as the
//                show does at start-up
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/codecs/rar/RarArchiveReader.h"
#include "engine/codecs/rar/writer/RarArchiveWriter.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/Directory.h"
#include "engine/files/FileManager.h"
#include "engine/files/VirtualFile.h"

namespace
{

// The repository root: benchmarks are built without the tests' definitions,
// but the compiler sees this file by its full path.
std::string SourceRoot()
{
    std::string file = __FILE__;
    return file.substr(0, file.rfind("/tests/bench/"));
}

struct Member
{
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::vector<Member>& MixedMembers()
{
    static std::vector<Member> members = [] {
        std::vector<Member> result;
        // Text: the engine's sources.
        std::vector<uint8_t> text;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(SourceRoot() + "/engine"))
            if (entry.is_regular_file())
            {
                std::vector<uint8_t> bytes = ReadBytes(entry.path().string());
                text.insert(text.end(), bytes.begin(), bytes.end());
            }
        result.push_back({"sources.txt", text});

        const std::string data = SourceRoot() + "/../shared/data/rar/";
        if (std::vector<uint8_t> wave = ReadBytes(data + "BoatModernEnglish.wav"); !wave.empty())
            result.push_back({"Sounds\\boat.wav", wave});
        std::vector<uint8_t> real = ReadBytes(data + "Rar2.rar");
        for (const char* name : {"jpg\\test.jpg", "exe\\test.exe"})
        {
            std::unique_ptr<uint8_t[]> bytes;
            uint32_t length = 0;
            if (RarArchiveReader::ExtractMember(real.data(), static_cast<uint32_t>(real.size()), String(name), String(),
                                                &bytes, &length))
                result.push_back({name, std::vector<uint8_t>(bytes.get(), bytes.get() + length)});
        }

        // A 512 x 512 RGB texture: smooth gradients with grain.
        std::mt19937 generator(11);
        std::vector<uint8_t> texture;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
            {
                texture.push_back(static_cast<uint8_t>(x / 3 + (generator() & 7)));
                texture.push_back(static_cast<uint8_t>(y / 2 + (generator() & 7)));
                texture.push_back(static_cast<uint8_t>((x + y) / 5 + (generator() & 3)));
            }
        result.push_back({"Textures\\grass.raw", texture});
        return result;
    }();
    return members;
}

size_t TotalSize()
{
    size_t total = 0;
    for (const Member& member : MixedMembers())
        total += member.bytes.size();
    return total;
}

std::vector<uint8_t> PackMixed(uint32_t level, bool audio)
{
    std::vector<RarArchiveWriter::Entry> entries;
    for (const Member& member : MixedMembers())
    {
        RarArchiveWriter::Entry entry;
        entry.name = String(member.name.c_str());
        entry.data = member.bytes.data();
        entry.size = static_cast<uint32_t>(member.bytes.size());
        entry.dosTime = 0x5A210000;
        entries.push_back(entry);
    }
    RarArchiveWriter::Options options;
    options.level = level;
    options.audio = audio;
    std::vector<uint8_t> archive;
    RarArchiveWriter::Write(entries, options, archive);
    return archive;
}

const std::vector<uint8_t>& MixedArchive()
{
    static std::vector<uint8_t> archive = PackMixed(3, true);
    return archive;
}

std::string ScratchFolder()
{
    static std::string folder = [] {
        std::string pattern = "/tmp/vernalia-archive-bench-XXXXXX";
        return std::string(mkdtemp(pattern.data()) ? pattern : "/tmp");
    }();
    return folder;
}

// The gzip -9 size of one member, through the real gzip.
size_t GzipSize(const Member& member)
{
    std::string path = ScratchFolder() + "/gzip-input";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(member.bytes.data()),
                                                static_cast<std::streamsize>(member.bytes.size()));
    FILE* pipe = popen(("gzip -9 -c '" + path + "' | wc -c").c_str(), "r");
    if (!pipe)
        return 0;
    unsigned long size = 0;
    if (std::fscanf(pipe, "%lu", &size) != 1)
        size = 0;
    pclose(pipe);
    return size;
}

void Extract(benchmark::State& state)
{
    const std::vector<uint8_t>& archive = MixedArchive();
    for (auto _ : state)
    {
        std::vector<RarArchiveReader::Extracted> members;
        RarArchiveReader::ExtractAll(archive.data(), static_cast<uint32_t>(archive.size()), String(), members);
        for (RarArchiveReader::Extracted& member : members)
            benchmark::DoNotOptimize(member.bytes.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalSize()));
    state.counters["archive_bytes"] = static_cast<double>(archive.size());
    state.counters["unpacked_bytes"] = static_cast<double>(TotalSize());
}
BENCHMARK(Extract)->Unit(benchmark::kMillisecond);

void UnarExtract(benchmark::State& state)
{
    if (access("/usr/bin/unar", X_OK) != 0)
    {
        state.SkipWithError("unar is not installed");
        return;
    }
    std::string archive = ScratchFolder() + "/mixed.rar";
    const std::vector<uint8_t>& bytes = MixedArchive();
    std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
    std::string command = "rm -rf '" + ScratchFolder() + "/unar' && /usr/bin/unar -q -D -o '" + ScratchFolder() +
                          "/unar' '" + archive + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("unar failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalSize()));
}
BENCHMARK(UnarExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// What UnarExtract spends on starting the program: an archive of one empty
// stored file.
void UnarStartup(benchmark::State& state)
{
    if (access("/usr/bin/unar", X_OK) != 0)
    {
        state.SkipWithError("unar is not installed");
        return;
    }
    RarArchiveWriter::Entry entry;
    entry.name = String("empty");
    entry.dosTime = 0x5A210000;
    std::vector<uint8_t> bytes;
    RarArchiveWriter::Write({entry}, RarArchiveWriter::Options(), bytes);
    std::string archive = ScratchFolder() + "/empty.rar";
    std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
    std::string command = "rm -rf '" + ScratchFolder() + "/unar-empty' && /usr/bin/unar -q -D -o '" +
                          ScratchFolder() + "/unar-empty' '" + archive + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("unar failed");
}
BENCHMARK(UnarStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void Pack(benchmark::State& state)
{
    const uint32_t level = static_cast<uint32_t>(state.range(0));
    std::vector<uint8_t> archive;
    for (auto _ : state)
        archive = PackMixed(level, true);
    size_t gzip = 0, ours = 0;
    for (const Member& member : MixedMembers())
    {
        size_t member_gzip = GzipSize(member);
        std::vector<uint8_t> alone;
        RarArchiveWriter::Entry entry;
        entry.name = String("x");
        entry.data = member.bytes.data();
        entry.size = static_cast<uint32_t>(member.bytes.size());
        RarArchiveWriter::Options options;
        options.level = level;
        options.audio = true;
        RarArchiveWriter::Write({entry}, options, alone);
        state.counters[member.name + "_ours"] = static_cast<double>(alone.size() - 7 - 13 - 33);
        state.counters[member.name + "_gzip9"] = static_cast<double>(member_gzip);
        gzip += member_gzip;
        ours += alone.size() - 7 - 13 - 33;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalSize()));
    state.counters["total_ours"] = static_cast<double>(ours);
    state.counters["total_gzip9"] = static_cast<double>(gzip);
    state.counters["archive_bytes"] = static_cast<double>(archive.size());
}
BENCHMARK(Pack)->Arg(3)->Arg(5)->Unit(benchmark::kMillisecond);

void MountShipped(benchmark::State& state)
{
    static bool started = [] {
        RegisterEngineClasses();
        return InitializeEngine() == 0;
    }();
    Codec* codec = nullptr;
    if (!started || CodecManager::GetCodec(String("RAR2FileCodec"), &codec) != 0)
    {
        state.SkipWithError("the engine or the archive codec does not start");
        return;
    }
    const std::pair<int32_t, const char*> archives[] = {{134, "CustomData.rar2"}, {227, "Media.rar2"}, {143, "Ms.rar2"}};
    size_t bytes = 0;
    for (auto _ : state)
    {
        for (const auto& [number, name] : archives)
        {
            const uint8_t* data = nullptr;
            uint32_t size = 0;
            if (FileManager::GetResourceData(number, &data, &size) != 0)
            {
                state.SkipWithError("a resource is missing");
                return;
            }
            VirtualFile file(String(name), const_cast<uint8_t*>(data), size);
            Directory* directory = nullptr;
            codec->LoadArchive(&file, &directory, String());
            file.DetachData();
            delete directory;
            bytes += size;
        }
    }
    state.counters["archive_bytes_per_mount"] = static_cast<double>(bytes / state.iterations());
}
BENCHMARK(MountShipped)->Unit(benchmark::kMicrosecond);

} // namespace
