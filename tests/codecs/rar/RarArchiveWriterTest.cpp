// Archives from our packer read back by our reader and, where it is
// installed, by one we did not write (Debian's unar): varied data, every
// mode and level, solid streams.
#include "engine/codecs/rar/writer/RarArchiveWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/codecs/rar/RarArchiveReader.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"
#include "tests/codecs/rar/RarTestArchives.h"

namespace
{

using rartest::Pcm;
using rartest::RandomBytes;
using rartest::Text;

struct Content
{
    std::string name;
    Bytes bytes;
};

Bytes Pack(const std::vector<Content>& contents, const RarArchiveWriter::Options& options)
{
    std::vector<RarArchiveWriter::Entry> entries;
    for (const Content& content : contents)
    {
        RarArchiveWriter::Entry entry;
        entry.name = String(content.name.c_str());
        entry.data = content.bytes.data();
        entry.size = static_cast<uint32_t>(content.bytes.size());
        entry.dosTime = 0x5A210000;
        entries.push_back(entry);
    }
    Bytes archive;
    EXPECT_EQ(RarArchiveWriter::Write(entries, options, archive), 0);
    return archive;
}

// Every member comes back alone, and all of them in one pass.
void ExpectReadsBack(const Bytes& archive, const std::vector<Content>& contents)
{
    for (const Content& content : contents)
    {
        std::unique_ptr<uint8_t[]> bytes;
        uint32_t length = 0;
        ASSERT_TRUE(RarArchiveReader::ExtractMember(archive.data(), static_cast<uint32_t>(archive.size()),
                                                    String(content.name.c_str()), String(), &bytes, &length))
            << content.name;
        EXPECT_TRUE(length == content.bytes.size() &&
                    std::equal(bytes.get(), bytes.get() + length, content.bytes.begin()))
            << content.name;
    }
    std::vector<RarArchiveReader::Extracted> all;
    ASSERT_EQ(RarArchiveReader::ExtractAll(archive.data(), static_cast<uint32_t>(archive.size()), String(), all), 0);
    ASSERT_EQ(all.size(), contents.size());
    for (RarArchiveReader::Extracted& member : all)
        EXPECT_NE(member.bytes, nullptr) << member.record.name.CStr();
}

std::vector<Content> VariedContents()
{
    Bytes run(1300000, 'r');
    run[1 << 20] = 'x';
    // The same bytes again 1.1 MB later: out of the window's reach.
    Bytes beyondWindow = RandomBytes(200000, 5);
    Bytes filler = Text(900000, 6);
    beyondWindow.insert(beyondWindow.end(), filler.begin(), filler.end());
    beyondWindow.insert(beyondWindow.end(), beyondWindow.begin(), beyondWindow.begin() + 200000);
    return {
        {"empty.bin", {}},
        {"one.bin", {'1'}},
        {"two.bin", {'2', '2'}},
        {"noise.bin", RandomBytes(70000, 1)},
        {"text\\words.txt", Text(200000, 2)},
        {"run.bin", run},
        {"far.bin", beyondWindow},
        {"wave.pcm", Pcm(20000)},
    };
}

} // namespace

TEST(RarArchiveWriter, VariedDataReadsBackInEveryModeAndUnarExtractsItByteForByte)
{
    const bool unar = access("/usr/bin/unar", X_OK) == 0;
    TemporaryFolder folder;
    std::vector<Content> contents = VariedContents();
    // The archive sizes are pinned too, in every mode.
    struct Mode
    {
        const char* name;
        bool solid, store, audio;
        size_t size;
    };
    for (const Mode& mode : {Mode{"stored", false, true, false, 0}, Mode{"plain", false, false, false, 681805},
                             Mode{"audio", false, false, true, 631092}, Mode{"solid", true, false, false, 664843},
                             Mode{"solidaudio", true, false, true, 617981}})
    {
        SCOPED_TRACE(mode.name);
        RarArchiveWriter::Options options;
        options.solid = mode.solid;
        options.store = mode.store;
        options.audio = mode.audio;
        options.level = mode.solid ? 5 : 3;
        const Bytes archive = Pack(contents, options);
        ExpectReadsBack(archive, contents);
        if (mode.size != 0)
        {
            EXPECT_EQ(archive.size(), mode.size);
        }
        if (!unar)
            continue;
        const std::string path = folder.Path() + "/" + mode.name + ".rar", out = folder.Path() + "/" + mode.name;
        WriteBytes(path, archive);
        ASSERT_EQ(RunProgram({"/usr/bin/unar", "-q", "-D", "-o", out, path}, {}).Run(), 0);
        for (const Content& content : contents)
        {
            std::string name = content.name;
            std::replace(name.begin(), name.end(), '\\', '/');
            EXPECT_TRUE(ReadBytes(out + "/" + name) == content.bytes) << name;
        }
    }
}

TEST(RarArchiveWriter, EveryLevelReadsBackAndMarksItsMethod)
{
    std::vector<Content> contents = {{"words.txt", Text(100000, 3)}, {"noise.bin", RandomBytes(5000, 4)}};
    // The packed sizes are pinned: the build's archives must not change.
    const uint32_t packed[] = {16086, 13195, 12067, 11340, 11053};
    for (uint32_t level = 1; level <= 5; ++level)
    {
        RarArchiveWriter::Options options;
        options.level = level;
        Bytes archive = Pack(contents, options);
        ExpectReadsBack(archive, contents);
        std::vector<RarMemberRecord> members;
        ASSERT_EQ(RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members), 0);
        EXPECT_EQ(members[0].method, 0x30 + level);
        // Noise does not shrink and is stored.
        EXPECT_EQ(members[1].method, 0x30);
        EXPECT_EQ(members[0].packedSize, packed[level - 1]) << "level " << level;
    }
}

TEST(RarArchiveWriter, RefusesNamesTheFormatCannotHold)
{
    RarArchiveWriter::Entry entry;
    entry.name = String(std::string(260, 'n'));
    Bytes archive;
    EXPECT_EQ(RarArchiveWriter::Write({entry}, RarArchiveWriter::Options(), archive), 3);
    entry.name = String();
    EXPECT_EQ(RarArchiveWriter::Write({entry}, RarArchiveWriter::Options(), archive), 3);
}
