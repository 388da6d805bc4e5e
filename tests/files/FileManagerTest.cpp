#include "engine/files/FileManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "engine/codecs/image/TGAImageCodec.h"
#include "engine/codecs/rar/RAR2FileCodec.h"
#include "engine/codecs/rar/writer/RarArchiveWriter.h"
#include "engine/files/CodecManager.h"
#include "engine/files/Directory.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/VirtualFile.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"

namespace
{

std::string ReadMember(File* file)
{
    if (!file || file->Open(File::kRead) != 0)
        return "<cannot open>";
    std::string content(file->GetSize(), '\0');
    file->Read(content.data(), static_cast<uint32_t>(content.size()));
    file->Close();
    return content;
}

// The file manager with the real archive codec, and an image codec that
// cannot unpack archives.
class FileManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(FileManager::Initialize(), 0);
        ASSERT_EQ(ModuleManager::Initialize(), 0);
        ASSERT_EQ(CodecManager::Initialize(), 0);
        Codec* codec = nullptr;
        ASSERT_EQ(RAR2FileCodec::RegisterModule(), 0);
        ASSERT_EQ(CodecManager::GetCodec(String("RAR2FileCodec"), &codec), 0);
        ASSERT_EQ(TGAImageCodec::RegisterModule(), 0);
        ASSERT_EQ(CodecManager::GetCodec(String("TGAImageCodec"), &codec), 0);
    }
    void TearDown() override
    {
        FileManager::Terminate();
        ModuleManager::Terminate();
        CodecManager::Terminate();
    }

    // Mounts the bytes as an archive file called name.
    static int32_t MountBytes(const char* name, const Bytes& bytes)
    {
        VirtualFile archive(String(name), bytes.data(), static_cast<uint32_t>(bytes.size()));
        return FileManager::AttachArchive(&archive, String());
    }

    // Mounts an archive of (path, content) members made by the packer.
    static int32_t Mount(const char* name, std::initializer_list<std::pair<const char*, const char*>> members)
    {
        std::vector<RarArchiveWriter::Entry> entries;
        for (const auto& [path, content] : members)
        {
            entries.emplace_back();
            entries.back().name = String(path);
            entries.back().data = reinterpret_cast<const uint8_t*>(content);
            entries.back().size = static_cast<uint32_t>(std::strlen(content));
        }
        Bytes archive;
        EXPECT_EQ(RarArchiveWriter::Write(entries, RarArchiveWriter::Options(), archive), 0);
        return MountBytes(name, archive);
    }
};

} // namespace

// How members become files is RAR2FileCodecTest's, and which paths find
// them DirectoryTest's; here the mount goes under the root, and the root's
// own files are not searched.
TEST_F(FileManagerTest, MountedArchiveIsSearchedAndTheRootsOwnFilesAreNot)
{
    ASSERT_EQ(Mount("Media.rar2", {{"Textures\\grass.jpg", "GRASS"}}), 0);
    Directory* root = FileManager::GetRoot();
    ASSERT_EQ(root->GetDirectoryCount(), 1u);
    File* grass = FileManager::FindFile(String("grass.jpg"));
    ASSERT_NE(grass, nullptr);
    EXPECT_EQ(grass->GetPath(), "Media.rar2\\Textures\\grass.jpg");
    EXPECT_EQ(ReadMember(grass), "GRASS");

    root->AddFile(new File(String("loose.txt")));
    EXPECT_EQ(FileManager::FindFile(String("loose.txt")), nullptr);
}

TEST_F(FileManagerTest, FailedMountsLeaveMountedArchivesInPlace)
{
    ASSERT_EQ(Mount("Ms.rar2", {{"shared.txt", "from Ms"}}), 0);
    ASSERT_EQ(Mount("CustomData.rar2", {{"shared.txt", "from CustomData"}}), 0);
    // The first archive in the root's order answers: "Ms" sorts before
    // "CustomData" ('M' is the larger first byte).
    Directory* root = FileManager::GetRoot();
    ASSERT_EQ(root->GetDirectoryCount(), 2u);
    EXPECT_EQ(root->GetDirectory(0)->GetName(), "Ms.rar2");
    EXPECT_EQ(ReadMember(FileManager::FindFile(String("shared.txt"))), "from Ms");

    LogCapture capture;
    EXPECT_EQ(MountBytes("Bad.rar2", BytesOf("good.txt=1, but no archive")), 1);
    EXPECT_TRUE(capture.Contains("Невозможно загрузить директорию из архива [Bad.rar2]."));
    EXPECT_EQ(Mount("data.zip", {{"a", "b"}}), 3);
    EXPECT_TRUE(capture.Contains("Не найден кодек для архива [data.zip]."));
    EXPECT_EQ(FileManager::AttachArchive(nullptr, String()), 3);
    EXPECT_TRUE(capture.Contains("Указатель на архив равен 0."));
    // A codec of another type cannot unpack an archive.
    EXPECT_EQ(Mount("photos.tga", {{"a", "b"}}), 1);
    EXPECT_TRUE(capture.Contains("Невозможно загрузить директорию из архива [photos.tga]."));
    EXPECT_EQ(root->GetDirectoryCount(), 2u);
    EXPECT_EQ(FileManager::FindFile(String("good.txt")), nullptr);

    // With the manager stopped there is no root: the directory is destroyed.
    FileManager::Terminate();
    capture.Clear();
    EXPECT_EQ(Mount("Late.rar2", {{"late.txt", "1"}}), 1);
    EXPECT_TRUE(capture.Contains("Невозможно подсоединить директорию [Late.rar2] к корню."));
    EXPECT_TRUE(capture.Contains("Директория удалена [Late.rar2]."));
    EXPECT_EQ(FileManager::FindFile(String("late.txt")), nullptr);
}

TEST_F(FileManagerTest, MissingResourceFailsAndLeavesTheRootUntouched)
{
    ASSERT_EQ(Mount("Media.rar2", {{"a.txt", "1"}}), 0);
    LogCapture capture;
    EXPECT_EQ(FileManager::LoadArchiveResource(987654, String("Missing.rar2"), String()), 1);
    EXPECT_TRUE(capture.Contains("Невозможно найти ресурс ID[987654]."));
    EXPECT_TRUE(capture.Contains("Невозможно прочитать ресурс ID[987654] Имя[Missing.rar2]."));
    EXPECT_EQ(FileManager::GetRoot()->GetDirectoryCount(), 1u);

    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(FileManager::GetResourceData(987654, nullptr, &size), 3);
    EXPECT_EQ(FileManager::GetResourceData(987654, &data, nullptr), 3);
    EXPECT_TRUE(capture.Contains("Указатель на данные ресурса равен 0."));
}

TEST_F(FileManagerTest, StoppingDestroysEveryMountedFile)
{
    ASSERT_EQ(Mount("Media.rar2", {{"Textures\\grass.jpg", "GRASS"}}), 0);
    LogCapture capture;
    EXPECT_EQ(FileManager::Terminate(), 0);
    EXPECT_EQ(FileManager::GetRoot(), nullptr);
    EXPECT_EQ(FileManager::FindFile(String("grass.jpg")), nullptr);
    EXPECT_TRUE(capture.Contains("Завершение работы менеджера файлов."));
    EXPECT_TRUE(capture.Contains("Удаляется файл [grass.jpg]."));
    EXPECT_TRUE(capture.Contains("Менеджер файлов завершил работу."));

    capture.Clear();
    EXPECT_EQ(FileManager::Initialize(), 0);
    EXPECT_TRUE(capture.Contains("Инициализация менеджера файлов."));
    EXPECT_TRUE(capture.Contains("Менеджер файлов инициализирован."));
    ASSERT_NE(FileManager::GetRoot(), nullptr);
    EXPECT_EQ(FileManager::GetRoot()->GetName(), "");
    EXPECT_EQ(FileManager::GetRoot()->GetParent(), nullptr);
}
