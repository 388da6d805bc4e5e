// The archive reader on archives made by RAR 2.x programs and on archives
// built header by header: listing, extraction with its CRC check, name
// matching, and the guards against headers that cannot be right.
#include "engine/codecs/rar/RarArchiveReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "engine/codecs/rar/RarCrc32.h"
#include "support/LogCapture.h"
#include "tests/codecs/rar/RarTestArchives.h"

using rartest::BuildArchive;
using rartest::RawMember;
using rartest::RealArchive;
using rartest::Stored;

namespace
{

// Extracts name and returns its bytes; empty, with ok false, on failure.
Bytes Extract(const Bytes& archive, const char* name, bool* ok = nullptr)
{
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t length = 0;
    bool extracted = RarArchiveReader::ExtractMember(archive.data(), static_cast<uint32_t>(archive.size()),
                                                     String(name), String(), &bytes, &length);
    if (ok)
        *ok = extracted;
    return Bytes(bytes.get(), bytes.get() + length);
}

bool Extracts(const Bytes& archive, const char* name)
{
    bool ok = false;
    Extract(archive, name, &ok);
    return ok;
}

class RealArchives : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::is_directory(RealArchive("")))
            GTEST_SKIP() << "no real archives at " << RealArchive("");
        etalon = ReadBytes(RealArchive("zxtune-etalon.bin"));
        ASSERT_EQ(etalon.size(), 16384u);
    }

    Bytes etalon;
};

} // namespace

TEST_F(RealArchives, EveryMethodAndTheMultimediaBlocksGiveTheEtalon)
{
    Bytes archive = ReadBytes(RealArchive("test_v2.rar"));
    std::vector<RarMemberRecord> members;
    ASSERT_EQ(RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members), 0);
    ASSERT_EQ(members.size(), 7u);
    for (const RarMemberRecord& member : members)
    {
        SCOPED_TRACE(member.name.CStr());
        EXPECT_EQ(member.unpackVersion, 20);
        EXPECT_EQ(member.crc, RarCrc32::Compute(etalon.data(), etalon.size()));
        EXPECT_EQ(Extract(archive, member.name.CStr()), etalon);
    }
    EXPECT_EQ(members[0].method, 0x30);
    EXPECT_EQ(members[5].method, 0x35);
    EXPECT_EQ(members[6].name, "pMM.bin");
}

TEST_F(RealArchives, SolidContinuationNeedsTheMemberBeforeIt)
{
    Bytes archive = ReadBytes(RealArchive("test_v2solid5.rar"));
    EXPECT_EQ(Extract(archive, "p5_solid.bin"), etalon);
    EXPECT_EQ(Extract(archive, "p5.bin"), etalon);
}

TEST_F(RealArchives, AudioAndPlainWaveDecodeToTheSameFile)
{
    Bytes wave = ReadBytes(RealArchive("BoatModernEnglish.wav"));
    for (const char* name : {"BoatModernEnglish-audio-text-unpack20.rar", "BoatModernEnglish-regular-unpack20.rar"})
    {
        SCOPED_TRACE(name);
        Bytes archive = ReadBytes(RealArchive(name));
        EXPECT_EQ(Extract(archive, "BoatModernEnglish.wav"), wave);
        bool ok = false;
        EXPECT_EQ(Extract(archive, "LICENSE.txt", &ok).size(), 107u);
        EXPECT_TRUE(ok);
    }
}

TEST_F(RealArchives, DirectoriesCommentsAndUnicodeNamesAreRead)
{
    Bytes archive = ReadBytes(RealArchive("Rar2.rar"));
    std::vector<RarMemberRecord> members;
    ASSERT_EQ(RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members), 0);
    ASSERT_EQ(members.size(), 5u);
    EXPECT_TRUE(members[0].IsDirectory());
    EXPECT_EQ(members[0].name, "exe");
    EXPECT_EQ(members[2].name, "exe\\test.exe");
    // The code-page part of a Unicode name ends at its zero byte.
    EXPECT_EQ(members[4].name.Length(), 8u);
    for (int i = 2; i < 5; ++i)
        EXPECT_TRUE(Extracts(archive, members[i].name.CStr())) << members[i].name.CStr();
    EXPECT_EQ(Extract(archive, "EXE/TEST.EXE").size(), 45056u);

    Bytes commented = ReadBytes(RealArchive("rar202-comment-nopsw.rar"));
    ASSERT_EQ(RarArchiveReader::ListArchive(commented.data(), static_cast<uint32_t>(commented.size()), members), 0);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_TRUE(Extracts(commented, "FILE2.TXT"));
}

TEST(RarArchiveReader, NamesMatchWhateverTheCaseAndSlashes)
{
    EXPECT_TRUE(RarArchiveReader::NamesMatch(String("MS\\times.txt"), String("ms/TIMES.TXT")));
    EXPECT_TRUE(RarArchiveReader::NamesMatch(String("a/b\\c"), String("A\\B/C")));
    EXPECT_FALSE(RarArchiveReader::NamesMatch(String("a_b"), String("a/b")));
    EXPECT_FALSE(RarArchiveReader::NamesMatch(String("times.txt"), String("times.tx")));

    Bytes archive = BuildArchive({Stored("MS\\times.txt", "font")});
    EXPECT_EQ(Extract(archive, "ms/TIMES.TXT"), BytesOf("font"));
}

TEST(RarArchiveReader, OtherVersionsEncryptionAndVolumesFailAloneWithALine)
{
    RawMember newer = Stored("v29.txt", "twenty-nine");
    newer.version = 29;
    RawMember locked = Stored("locked.txt", "secret");
    locked.flags |= RarMemberRecord::kEncrypted;
    RawMember split = Stored("split.bin", "first half only");
    split.flags |= RarMemberRecord::kSplitAfter;
    RawMember continued = Stored("continued.bin", "second half");
    continued.flags |= RarMemberRecord::kSplitBefore;
    Bytes archive = BuildArchive({newer, locked, split, continued, Stored("fine.txt", "ok")});

    LogCapture capture;
    EXPECT_FALSE(Extracts(archive, "v29.txt"));
    EXPECT_TRUE(capture.Contains("Файл [v29.txt] упакован неподдерживаемой версией архиватора (29)."));
    EXPECT_FALSE(Extracts(archive, "locked.txt"));
    EXPECT_FALSE(Extracts(archive, "split.bin"));
    EXPECT_FALSE(Extracts(archive, "continued.bin"));
    EXPECT_TRUE(capture.Contains("Файл [split.bin] разделён между томами архива"));
    EXPECT_TRUE(Extracts(archive, "fine.txt"));
    EXPECT_EQ(capture.Lines().size(), 4u);
}

TEST(RarArchiveReader, WrongCrcOrMissingMemberFails)
{
    RawMember damaged = Stored("damaged.txt", "payload");
    damaged.crc ^= 1;
    Bytes archive = BuildArchive({damaged});
    LogCapture capture;
    EXPECT_FALSE(Extracts(archive, "damaged.txt"));
    EXPECT_TRUE(capture.Contains("Неверная контрольная сумма файла [damaged.txt] в архиве."));
    EXPECT_FALSE(Extracts(archive, "absent.txt"));
    EXPECT_TRUE(capture.Contains("Файл [absent.txt] не найден в архиве."));
}

TEST(RarArchiveReader, HeadersReachingBeyondTheDataEndTheListing)
{
    std::vector<RarMemberRecord> members;
    auto list = [&](const Bytes& archive) {
        return RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members);
    };

    // A name longer than its header, a header shorter than the fixed part,
    // a block size of zero: each ends the listing after the good member.
    RawMember longName = Stored("x.txt", "x");
    longName.nameSize = 0xFFFF;
    RawMember shortHeader = Stored("y.txt", "y");
    shortHeader.headerSize = 20;
    RawMember zeroHeader = Stored("z.txt", "z");
    zeroHeader.headerSize = 0;
    for (const RawMember& bad : {longName, shortHeader, zeroHeader})
    {
        ASSERT_EQ(list(BuildArchive({Stored("good.txt", "good"), bad, Stored("after.txt", "a")})), 0);
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].name, "good.txt");
    }

    // Data said to run past the end: listed, but it fails to extract.
    RawMember overlong = Stored("overlong.bin", "abc");
    overlong.packedSize = 0xFFFFFFF0;
    Bytes archive = BuildArchive({overlong});
    ASSERT_EQ(list(archive), 0);
    ASSERT_EQ(members.size(), 1u);
    LogCapture capture;
    EXPECT_FALSE(Extracts(archive, "overlong.bin"));
    EXPECT_TRUE(capture.Contains("Данные файла [overlong.bin] выходят за конец архива."));

    // A truncated archive still lists what it holds whole.
    archive = BuildArchive({Stored("one.txt", "1111"), Stored("two.txt", "2222")});
    archive.resize(archive.size() - 2);
    ASSERT_EQ(list(archive), 0);
    EXPECT_TRUE(Extracts(archive, "one.txt"));
    EXPECT_FALSE(Extracts(archive, "two.txt"));
    // Cut right after a block's fixed seven bytes, or after its size field
    // too: that much is read, and the header found short.
    const size_t whole = BuildArchive({Stored("one.txt", "1111")}).size();
    for (const auto& [flags, kept] : {std::pair<uint16_t, size_t>{0, 7}, {0x8080, 11}})
    {
        RawMember two = Stored("two.txt", "2222");
        two.flags = flags;
        archive = BuildArchive({Stored("one.txt", "1111"), two});
        archive.resize(whole + kept);
        capture.Clear();
        ASSERT_EQ(list(archive), 0);
        EXPECT_EQ(members.size(), 1u);
        EXPECT_TRUE(capture.Contains("Заголовок файла в архиве RAR повреждён")) << kept;
    }
}

TEST(RarArchiveReader, RefusesDataThatIsNoArchive)
{
    std::vector<RarMemberRecord> members;
    LogCapture capture;
    const Bytes cases[] = {
        {},
        BytesOf("Rar!"),
        BytesOf("PK\x03\x04 not this kind of archive"),
        BytesOf(std::string("Rar!\x1A\x07\x00", 7) + "short"),
    };
    for (const Bytes& data : cases)
        EXPECT_EQ(RarArchiveReader::ListArchive(data.data(), static_cast<uint32_t>(data.size()), members), 1);
    EXPECT_TRUE(capture.Contains("Данные не являются архивом RAR."));

    // A main header whose size is below its own fixed part.
    Bytes archive = BuildArchive({Stored("a", "a")});
    archive[12] = 5;
    EXPECT_EQ(RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members), 1);
}

TEST(RarArchiveReader, SizesThePackedDataCannotHoldAreRefusedBeforeAllocating)
{
    RawMember huge = Stored("huge.bin", "tiny");
    huge.method = 0x33;
    huge.unpackedSize = 0xFFFFFFFF;
    RawMember storedLonger = Stored("stored.bin", "four");
    storedLonger.unpackedSize = 4000;
    Bytes archive = BuildArchive({huge, storedLonger});
    LogCapture capture;
    EXPECT_FALSE(Extracts(archive, "huge.bin"));
    EXPECT_TRUE(capture.Contains("Неверный размер файла [huge.bin] в архиве"));
    EXPECT_FALSE(Extracts(archive, "stored.bin"));
}

TEST(RarArchiveReader, ABrokenSolidMemberTakesTheMembersAfterItAlong)
{
    // Garbage where the first member's compressed data should be; the
    // second continues its state.
    RawMember first;
    first.name = "first.bin";
    first.data = Bytes(64, 0xFF);
    first.unpackedSize = 1000;
    first.method = 0x33;
    RawMember second = first;
    second.name = "second.bin";
    second.flags |= RarMemberRecord::kSolid;
    Bytes archive = BuildArchive({first, second}, 0x08);

    LogCapture capture;
    EXPECT_FALSE(Extracts(archive, "second.bin"));
    EXPECT_TRUE(capture.Contains("Невозможно распаковать файл [second.bin]: предшествующий файл непрерывного архива"));
    EXPECT_EQ(capture.Lines().size(), 1u);

    std::vector<RarArchiveReader::Extracted> all;
    ASSERT_EQ(RarArchiveReader::ExtractAll(archive.data(), static_cast<uint32_t>(archive.size()), String(), all), 0);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].bytes, nullptr);
    EXPECT_EQ(all[1].bytes, nullptr);
}

TEST(RarArchiveReader, TablesCutShortAfterTheLastByteLeaveTheMemberToItsCrc)
{
    // After its last byte the first member switches tables, and the data
    // ends inside them (their header says multimedia mode, old table
    // cleared). The solid member after it goes on with the LZ tables.
    auto member = [](const char* name, rartest::StreamWriter& stream, const std::string& content) {
        RawMember packed = Stored(name, content);
        packed.data = stream.Finish();
        packed.method = 0x33;
        return packed;
    };
    rartest::StreamWriter first;
    first.Tables();
    for (char c : std::string("spring"))
        first.Literal(static_cast<uint8_t>(c));
    first.Symbol(rar20::kNewTables);
    first.Bits(0b1000, 4);
    first.Bits(0, 16);
    first.Bits(0, 16);
    rartest::StreamWriter second;
    second.Codes();
    for (char c : std::string("meadow"))
        second.Literal(static_cast<uint8_t>(c));
    RawMember after = member("second.txt", second, "meadow");
    after.flags |= RarMemberRecord::kSolid;
    RawMember ahead = member("first.txt", first, "spring");
    Bytes archive = BuildArchive({ahead, after}, 0x08);
    EXPECT_EQ(Extract(archive, "first.txt"), BytesOf("spring"));
    EXPECT_EQ(Extract(archive, "second.txt"), BytesOf("meadow"));

    ahead.crc ^= 1;
    LogCapture capture;
    EXPECT_FALSE(Extracts(BuildArchive({ahead}), "first.txt"));
    EXPECT_TRUE(capture.Contains("Неверная контрольная сумма файла [first.txt] в архиве."));
}
