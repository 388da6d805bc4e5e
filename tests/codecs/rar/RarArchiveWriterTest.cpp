// Archives from our packer read back by our reader: varied data, every
// mode and level, solid streams. (Other readers check the same archives in
// RarIndependentReadersTest.)
#include "engine/codecs/rar/writer/RarArchiveWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/codecs/rar/RarArchiveReader.h"
#include "tests/codecs/rar/RarTestArchives.h"

namespace
{

struct Content
{
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 generator(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(generator());
    return bytes;
}

// Words from a small vocabulary: compressible, with matches near and far.
std::vector<uint8_t> Text(size_t size, uint32_t seed)
{
    static const char* words[] = {"spring ", "meadow ", "blossom ", "river ", "light ", "the ", "a ", "green\n"};
    std::mt19937 generator(seed);
    std::vector<uint8_t> bytes;
    while (bytes.size() < size)
    {
        const char* word = words[generator() % 8];
        bytes.insert(bytes.end(), word, word + std::strlen(word));
    }
    bytes.resize(size);
    return bytes;
}

// 16-bit stereo samples of two tones: what the multimedia mode is for.
std::vector<uint8_t> Pcm(size_t frames)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < frames; ++i)
    {
        int16_t left = static_cast<int16_t>(9000 * std::sin(i * 0.031));
        int16_t right = static_cast<int16_t>(7000 * std::sin(i * 0.047 + 1));
        for (int16_t sample : {left, right})
        {
            bytes.push_back(static_cast<uint8_t>(sample));
            bytes.push_back(static_cast<uint8_t>(sample >> 8));
        }
    }
    return bytes;
}

std::vector<uint8_t> Pack(const std::vector<Content>& contents, const RarArchiveWriter::Options& options)
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
    std::vector<uint8_t> archive;
    EXPECT_EQ(RarArchiveWriter::Write(entries, options, archive), 0);
    return archive;
}

// Every member comes back alone, and all of them in one pass.
void ExpectReadsBack(const std::vector<uint8_t>& archive, const std::vector<Content>& contents)
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
    std::vector<uint8_t> run(1300000, 'r');
    run[1 << 20] = 'x';
    // The same bytes again 1.1 MB later: out of the window's reach.
    std::vector<uint8_t> beyondWindow = RandomBytes(200000, 5);
    std::vector<uint8_t> filler = Text(900000, 6);
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

TEST(RarArchiveWriter, VariedDataReadsBackInEveryMode)
{
    std::vector<Content> contents = VariedContents();
    for (bool solid : {false, true})
        for (bool audio : {false, true})
        {
            SCOPED_TRACE(testing::Message() << "solid " << solid << " audio " << audio);
            RarArchiveWriter::Options options;
            options.solid = solid;
            options.audio = audio;
            ExpectReadsBack(Pack(contents, options), contents);
        }
    RarArchiveWriter::Options stored;
    stored.store = true;
    ExpectReadsBack(Pack(contents, stored), contents);
}

TEST(RarArchiveWriter, EveryLevelReadsBackAndMarksItsMethod)
{
    std::vector<Content> contents = {{"words.txt", Text(100000, 3)}, {"noise.bin", RandomBytes(5000, 4)}};
    for (uint32_t level = 1; level <= 5; ++level)
    {
        RarArchiveWriter::Options options;
        options.level = level;
        std::vector<uint8_t> archive = Pack(contents, options);
        ExpectReadsBack(archive, contents);
        std::vector<RarMemberRecord> members;
        ASSERT_EQ(RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members), 0);
        EXPECT_EQ(members[0].method, 0x30 + level);
        // Noise does not shrink and is stored.
        EXPECT_EQ(members[1].method, 0x30);
        EXPECT_LT(members[0].packedSize, 100000u / 3);
    }
}

TEST(RarArchiveWriter, LastMemberOfASolidArchiveAloneEqualsTheWholeStream)
{
    // Many small files that share their words: each needs the ones before.
    std::vector<Content> contents;
    for (uint32_t i = 0; i < 300; ++i)
        contents.push_back({"notes\\note" + std::to_string(i) + ".txt", Text(200 + i * 7, 100 + i % 5)});
    RarArchiveWriter::Options options;
    options.solid = true;
    std::vector<uint8_t> archive = Pack(contents, options);

    std::vector<RarMemberRecord> members;
    ASSERT_EQ(RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members), 0);
    ASSERT_EQ(members.size(), 300u);
    EXPECT_FALSE(members[0].flags & RarMemberRecord::kSolid);
    EXPECT_TRUE(members[299].flags & RarMemberRecord::kSolid);

    std::vector<RarArchiveReader::Extracted> all;
    ASSERT_EQ(RarArchiveReader::ExtractAll(archive.data(), static_cast<uint32_t>(archive.size()), String(), all), 0);
    std::unique_ptr<uint8_t[]> last;
    uint32_t length = 0;
    ASSERT_TRUE(RarArchiveReader::ExtractMember(archive.data(), static_cast<uint32_t>(archive.size()),
                                                String("notes\\note299.txt"), String(), &last, &length));
    ASSERT_EQ(all.back().length, length);
    EXPECT_TRUE(std::equal(last.get(), last.get() + length, all.back().bytes.get()));
    EXPECT_TRUE(std::equal(last.get(), last.get() + length, contents.back().bytes.begin()));
}

TEST(RarArchiveWriter, DirectoriesComeFirstAndEmptyFilesLastInASolidArchive)
{
    std::vector<RarArchiveWriter::Entry> entries(4);
    entries[0].name = String("a.txt");
    entries[0].data = reinterpret_cast<const uint8_t*>("aaaa");
    entries[0].size = 4;
    entries[1].name = String("empty.txt");
    entries[2].name = String("dir");
    entries[2].directory = true;
    entries[3].name = String("dir\\b.txt");
    entries[3].data = reinterpret_cast<const uint8_t*>("bbbb");
    entries[3].size = 4;
    RarArchiveWriter::Options options;
    options.solid = true;
    std::vector<uint8_t> archive;
    ASSERT_EQ(RarArchiveWriter::Write(entries, options, archive), 0);
    std::vector<RarMemberRecord> members;
    ASSERT_EQ(RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members), 0);
    ASSERT_EQ(members.size(), 4u);
    EXPECT_EQ(members[0].name, "dir");
    EXPECT_TRUE(members[0].IsDirectory());
    EXPECT_EQ(members[1].name, "a.txt");
    EXPECT_EQ(members[2].name, "dir\\b.txt");
    EXPECT_EQ(members[3].name, "empty.txt");
    EXPECT_EQ(members[3].method, 0x30);
}

TEST(RarArchiveWriter, RefusesNamesTheFormatCannotHold)
{
    RarArchiveWriter::Entry entry;
    entry.name = String(std::string(260, 'n'));
    std::vector<uint8_t> archive;
    EXPECT_EQ(RarArchiveWriter::Write({entry}, RarArchiveWriter::Options(), archive), 3);
    entry.name = String();
    EXPECT_EQ(RarArchiveWriter::Write({entry}, RarArchiveWriter::Options(), archive), 3);
}
