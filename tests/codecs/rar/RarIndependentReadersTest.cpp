// Archives from our packer read by a reader we did not write, Debian's unar,
// in every mode. Skipped when it is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/codecs/rar/writer/RarArchiveWriter.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"
#include "tests/codecs/rar/RarTestArchives.h"

namespace
{

struct Member
{
    std::string path; // with "/" as the file system has it
    Bytes bytes;
};

std::vector<Member> MixedMembers()
{
    const Bytes noise = rartest::RandomBytes(50000, 7);
    const Bytes text = rartest::Text(120000, 8);
    std::mt19937 generator(9);
    Bytes texture;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x)
            for (int c = 0; c < 3; ++c)
                texture.push_back(static_cast<uint8_t>(x + y * c + (generator() % 4)));
    // Noise again 950 KB later: copies from near the window's far end.
    Bytes far = noise;
    while (far.size() < 1000000)
        far = Join(far, text);
    far = Join(far, noise);
    std::vector<Member> members = {
        {"noise.bin", noise},         {"docs/far.bin", far}, {"docs/words.txt", text},
        {"sounds/tone.pcm", rartest::Pcm(15000)}, {"tex/grass.raw", texture}, {"empty.txt", {}},
        {"docs/one.txt", {'1'}},
    };
    if (const Bytes wave = ReadBytes(rartest::RealArchive("BoatModernEnglish.wav")); !wave.empty())
        members.push_back({"sounds/boat.wav", wave});
    return members;
}

// Packs the members (directory entries included) into folder/name.
std::string Pack(const std::string& folder, const char* name, const std::vector<Member>& members,
                 const RarArchiveWriter::Options& options)
{
    std::vector<RarArchiveWriter::Entry> entries;
    for (const char* directory : {"docs", "sounds", "tex"})
    {
        RarArchiveWriter::Entry entry;
        entry.name = String(directory);
        entry.directory = true;
        entry.dosTime = 0x5A210000;
        entries.push_back(entry);
    }
    for (const Member& member : members)
    {
        std::string stored = member.path;
        std::replace(stored.begin(), stored.end(), '/', '\\');
        RarArchiveWriter::Entry entry;
        entry.name = String(stored.c_str());
        entry.data = member.bytes.data();
        entry.size = static_cast<uint32_t>(member.bytes.size());
        entry.dosTime = 0x5A210000;
        entries.push_back(entry);
    }
    Bytes archive;
    EXPECT_EQ(RarArchiveWriter::Write(entries, options, archive), 0);
    std::string path = folder + "/" + name;
    WriteBytes(path, archive);
    return path;
}

void ExpectExtracted(const std::string& folder, const std::vector<Member>& members)
{
    for (const Member& member : members)
    {
        Bytes extracted = ReadBytes(folder + "/" + member.path);
        EXPECT_TRUE(std::filesystem::exists(folder + "/" + member.path)) << member.path;
        EXPECT_TRUE(extracted == member.bytes) << member.path << ": " << extracted.size() << " bytes";
    }
}

} // namespace

TEST(RarIndependentReaders, UnarExtractsEveryModeByteForByte)
{
    if (access("/usr/bin/unar", X_OK) != 0)
        GTEST_SKIP() << "unar is not installed";
    TemporaryFolder folder;
    std::vector<Member> members = MixedMembers();
    struct Mode
    {
        const char* name;
        bool solid, store, audio;
    };
    for (const Mode& mode : {Mode{"stored", false, true, false}, Mode{"compressed", false, false, false},
                             Mode{"solid", true, false, false}, Mode{"audio", false, false, true},
                             Mode{"solidaudio", true, false, true}})
    {
        SCOPED_TRACE(mode.name);
        RarArchiveWriter::Options options;
        options.solid = mode.solid;
        options.store = mode.store;
        options.audio = mode.audio;
        options.level = mode.solid ? 5 : 3;
        std::string archive = Pack(folder.Path(), (std::string(mode.name) + ".rar").c_str(), members, options);
        std::string out = folder.Path() + "/" + mode.name;
        RunProgram unar({"/usr/bin/unar", "-q", "-D", "-o", out, archive}, {});
        ASSERT_EQ(unar.Run(), 0);
        ExpectExtracted(out, members);
    }
}
