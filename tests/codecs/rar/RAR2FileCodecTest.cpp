// The archive codec mounts archives as directory trees. (The three archives
// the build embeds mount whole in every run of the show: ShowRunTest.)
#include "engine/codecs/rar/RAR2FileCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/EngineClasses.h"
#include "engine/codecs/rar/writer/RarArchiveWriter.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/CodecManager.h"
#include "engine/files/Directory.h"
#include "engine/files/VirtualFile.h"
#include "support/TemporaryFolder.h"
#include "tests/codecs/rar/RarTestArchives.h"

using rartest::BuildArchive;
using rartest::RawMember;
using rartest::Stored;

namespace
{

class ArchiveCodec : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterEngineClasses();
        ASSERT_EQ(InitializeEngine(), 0);
        ASSERT_EQ(CodecManager::GetCodec(String("RAR2FileCodec"), &codec), 0);
    }
    void TearDown() override { TerminateEngine(); }

    // Mounts bytes as an archive named name; the directory is the test's.
    int32_t Load(const Bytes& bytes, std::unique_ptr<Directory>* place, const char* name = "Test.rar2")
    {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() + 1]);
        std::memcpy(copy.get(), bytes.data(), bytes.size());
        VirtualFile file(String(name), std::move(copy), static_cast<uint32_t>(bytes.size()));
        return codec->LoadArchive(&file, place, String());
    }

    static std::string Content(File* file)
    {
        if (!file || file->Open(File::kRead) != 0)
            return "<no content>";
        std::string text(file->GetSize(), '\0');
        file->Read(text.data(), file->GetSize());
        file->Close();
        return text;
    }

    Codec* codec = nullptr;
};

RawMember DirectoryEntry(const std::string& name)
{
    RawMember entry;
    entry.name = name;
    entry.attributes = 0x10;
    entry.flags = 0x80E0;
    return entry;
}

} // namespace

TEST_F(ArchiveCodec, MembersBecomeFilesInTheirDirectories)
{
    EXPECT_EQ(codec->GetCodecType(), Codec::kArchiveCodec);
    RawMember broken = Stored("Textures\\broken.tga", "pixels");
    broken.crc ^= 1;
    Bytes archive = BuildArchive({
        DirectoryEntry("Textures"),
        DirectoryEntry("Empty"),
        Stored("Textures\\grass.jpg", "GRASS"),
        broken,
        Stored("Main.STR", "scene"),
        Stored("Deep\\er\\note.txt", "made on the way"),
        Stored("empty.txt", ""),
    });
    std::unique_ptr<Directory> root;
    ASSERT_EQ(Load(archive, &root, "Media.rar2"), 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "Media.rar2");
    EXPECT_EQ(root->GetParent(), nullptr);

    EXPECT_EQ(Content(root->FindFile(String("Textures\\grass.jpg"))), "GRASS");
    EXPECT_EQ(Content(root->FindFile(String("Main.STR"))), "scene");
    EXPECT_EQ(Content(root->FindFile(String("note.txt"))), "made on the way");
    EXPECT_EQ(Content(root->FindFile(String("empty.txt"))), "");
    // A member that fails is there, with no content.
    File* failed = root->FindFile(String("Textures\\broken.tga"));
    ASSERT_NE(failed, nullptr);
    EXPECT_NE(failed->Open(File::kRead), 0);
    // A directory entry with nothing below it is an empty directory.
    Directory* empty = root->FindDirectory(String("Empty"));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetFileCount() + empty->GetDirectoryCount(), 0u);
    // The files keep the codec's module loaded.
    EXPECT_EQ(static_cast<VirtualFile*>(root->FindFile(String("Main.STR")))->GetOwner(), codec->GetModule());
}

TEST_F(ArchiveCodec, NamesCannotClimbOutOfTheArchive)
{
    Bytes archive = BuildArchive({
        Stored("..\\..\\escape.txt", "1"),
        Stored("\\leading.txt", "2"),
        Stored("a\\\\.\\b.txt", "3"),
        Stored("..", "4"),
    });
    std::unique_ptr<Directory> root;
    ASSERT_EQ(Load(archive, &root), 0);
    EXPECT_EQ(Content(root->FindFile(String("escape.txt"))), "1");
    EXPECT_EQ(Content(root->FindFile(String("leading.txt"))), "2");
    EXPECT_EQ(Content(root->FindFile(String("a\\b.txt"))), "3");
    EXPECT_EQ(root->GetFileCount(), 2u);
}

TEST_F(ArchiveCodec, RefusesNullArgumentsAndDataThatIsNoArchive)
{
    std::unique_ptr<Directory> root;
    EXPECT_EQ(codec->LoadArchive(nullptr, &root, String()), 3);
    VirtualFile file(String("x.rar2"), std::unique_ptr<uint8_t[]>(), 0);
    EXPECT_EQ(codec->LoadArchive(&file, nullptr, String()), 3);
    EXPECT_EQ(codec->LoadArchive(&file, &root, String()), 1);
    EXPECT_EQ(Load(BytesOf("plain text, not an archive"), &root), 1);
    EXPECT_EQ(root, nullptr);
}

TEST_F(ArchiveCodec, SavingOnlyCreatesAnEmptyFile)
{
    TemporaryFolder folder;
    std::string path = folder.Path() + "/saved.rar2";
    File file{String(path.c_str())};
    Directory directory(String("saved"));
    EXPECT_EQ(codec->SaveArchive(&file, &directory), 0);
    EXPECT_TRUE(ReadBytes(path).empty());
    EXPECT_EQ(codec->SaveArchive(&file, nullptr), 1);
    File unwritable{String("/nonexistent-folder/x.rar2")};
    EXPECT_EQ(codec->SaveArchive(&unwritable, &directory), 1);
}
