#include "engine/files/FileManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/Directory.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/VirtualFile.h"
#include "platform/Resources.h"
#include "support/LogCapture.h"

namespace
{

// A small real archive codec over a text format: one member per line,
// "path=content", the path's directories separated by backslashes and made
// as needed. A line "!fail" makes the whole archive fail to load.
class LineArchiveCodec : public Codec
{
public:
    LineArchiveCodec() : Codec(String("LineArchiveCodec"))
    {
        AddExtension(String("RAR2"));
        AddExtension(String("rar2"));
        AddExtension(String("Rar2"));
    }

    int32_t GetCodecType() override { return kArchiveCodec; }

    int32_t LoadArchive(File* archive, std::unique_ptr<Directory>* place, const String&) override
    {
        if (!archive || !place || archive->Open(File::kRead) != 0)
            return 1;
        std::string text(archive->GetSize(), '\0');
        int32_t read = archive->Read(text.data(), static_cast<uint32_t>(text.size()));
        archive->Close();
        if (read != 0)
            return 1;

        std::unique_ptr<Directory> directory(new Directory(archive->GetName()));
        std::string_view rest(text);
        while (!rest.empty())
        {
            size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (line == "!fail")
                return 4;
            size_t equals = line.find('=');
            if (equals == std::string_view::npos)
                continue;
            std::string_view path = line.substr(0, equals);
            std::string_view content = line.substr(equals + 1);

            Directory* holder = directory.get();
            size_t slash;
            while ((slash = path.find('\\')) != std::string_view::npos)
            {
                String component(path.substr(0, slash));
                Directory* next = nullptr;
                for (uint32_t i = 0; i < holder->GetDirectoryCount() && !next; ++i)
                    if (holder->GetDirectory(i)->GetName() == component)
                        next = holder->GetDirectory(i);
                holder = next ? next : new Directory(component, holder);
                path = path.substr(slash + 1);
            }
            std::unique_ptr<uint8_t[]> bytes(new uint8_t[content.size()]);
            std::memcpy(bytes.get(), content.data(), content.size());
            holder->AddFile(
                new VirtualFile(String(path), std::move(bytes), static_cast<uint32_t>(content.size()), GetModule()));
        }
        *place = std::move(directory);
        return 0;
    }
};

// Mounts any bytes: one member, "payload", holding the whole archive.
class BlobArchiveCodec : public Codec
{
public:
    BlobArchiveCodec() : Codec(String("BlobArchiveCodec")) { AddExtension(String("blob")); }

    int32_t GetCodecType() override { return kArchiveCodec; }

    int32_t LoadArchive(File* archive, std::unique_ptr<Directory>* place, const String&) override
    {
        if (archive->Open(File::kRead) != 0)
            return 1;
        uint32_t size = archive->GetSize();
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
        int32_t read = archive->Read(bytes.get(), size);
        archive->Close();
        if (read != 0)
            return 1;
        place->reset(new Directory(archive->GetName()));
        (*place)->AddFile(new VirtualFile(String("payload"), std::move(bytes), size, GetModule()));
        return 0;
    }
};

// Claims an archive-like extension but decodes only images.
class ImageOnlyCodec : public Codec
{
public:
    ImageOnlyCodec() : Codec(String("ImageOnlyCodec")) { AddExtension(String("pic")); }
    int32_t GetCodecType() override { return kImageCodec; }
};

template <typename C>
int32_t CreateCodec(Codec** place)
{
    *place = new (std::nothrow) C();
    return *place ? 0 : 2;
}

VirtualFile* MakeArchive(const char* name, const std::string& content)
{
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[content.size()]);
    std::memcpy(bytes.get(), content.data(), content.size());
    return new VirtualFile(String(name), std::move(bytes), static_cast<uint32_t>(content.size()));
}

std::string ReadMember(File* file)
{
    if (!file || file->Open(File::kRead) != 0)
        return "<cannot open>";
    std::string content(file->GetSize(), '\0');
    file->Read(content.data(), static_cast<uint32_t>(content.size()));
    file->Close();
    return content;
}

class FileManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(FileManager::Initialize(), 0);
        ASSERT_EQ(ModuleManager::Initialize(), 0);
        ASSERT_EQ(CodecManager::Initialize(), 0);
        Codec* codec = nullptr;
        ASSERT_EQ(RegisterBuiltInCodecModule(String("LineArchiveCodec"), &CreateCodec<LineArchiveCodec>), 0);
        ASSERT_EQ(CodecManager::GetCodec(String("LineArchiveCodec"), &codec), 0);
        ASSERT_EQ(RegisterBuiltInCodecModule(String("BlobArchiveCodec"), &CreateCodec<BlobArchiveCodec>), 0);
        ASSERT_EQ(CodecManager::GetCodec(String("BlobArchiveCodec"), &codec), 0);
        ASSERT_EQ(RegisterBuiltInCodecModule(String("ImageOnlyCodec"), &CreateCodec<ImageOnlyCodec>), 0);
        ASSERT_EQ(CodecManager::GetCodec(String("ImageOnlyCodec"), &codec), 0);
    }
    void TearDown() override
    {
        FileManager::Terminate();
        ModuleManager::Terminate();
        CodecManager::Terminate();
    }

    // Mounts an archive made from text; the archive file is ours to delete.
    static int32_t Mount(const char* name, const std::string& content)
    {
        VirtualFile* archive = MakeArchive(name, content);
        int32_t result = FileManager::AttachArchive(archive, String());
        delete archive;
        return result;
    }
};

} // namespace

TEST_F(FileManagerTest, MountedArchiveFindsOneFileByEveryKindOfPath)
{
    ASSERT_EQ(Mount("Media.rar2", "Textures\\grass.jpg=GRASS\n"
                                  "Textures\\Trees\\bark.jpg=BARK\n"
                                  "README=read me\n"),
              0);
    Directory* root = FileManager::GetRoot();
    ASSERT_EQ(root->GetDirectoryCount(), 1u);
    EXPECT_EQ(root->GetDirectory(0)->GetName(), "Media.rar2");

    File* grass = FileManager::FindFile(String("Textures\\grass.jpg"));
    ASSERT_NE(grass, nullptr);
    EXPECT_EQ(FileManager::FindFile(String("Textures/grass.jpg")), grass);
    EXPECT_EQ(FileManager::FindFile(String("grass.jpg")), grass);
    EXPECT_EQ(grass->GetPath(), "Media.rar2\\Textures\\grass.jpg");
    EXPECT_EQ(ReadMember(grass), "GRASS");
    EXPECT_EQ(ReadMember(FileManager::FindFile(String("Textures/Trees/bark.jpg"))), "BARK");

    // README has no extension, so no codec; the archive's module stays with
    // the members it made.
    File* readme = FileManager::FindFile(String("README"));
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ(readme->GetExtension(), "");
    EXPECT_EQ(CodecManager::FindCodecForFile(readme), nullptr);
    EXPECT_EQ(static_cast<VirtualFile*>(readme)->GetOwner(), ModuleManager::FindModule(String("LineArchiveCodec")));

    // Writing to a member is refused with its full path.
    LogCapture capture;
    ASSERT_EQ(grass->Open(File::kRead), 0);
    EXPECT_EQ(grass->Write("x", 1), 1);
    EXPECT_TRUE(capture.Contains("Запись в файл [Media.rar2\\Textures\\grass.jpg], открытый для чтения."));
    grass->Close();

    // The root's own files are not searched.
    root->AddFile(new File(String("loose.txt")));
    EXPECT_EQ(FileManager::FindFile(String("loose.txt")), nullptr);
    EXPECT_EQ(FileManager::FindFile(String("Missing\\grass.jpg")), nullptr);
}

TEST_F(FileManagerTest, FailedMountsLeaveMountedArchivesInPlace)
{
    ASSERT_EQ(Mount("Ms.rar2", "shared.txt=from Ms\n"), 0);
    ASSERT_EQ(Mount("CustomData.rar2", "shared.txt=from CustomData\n"), 0);
    // The first archive in the root's order answers: "Ms" sorts before
    // "CustomData" ('M' is the larger first byte).
    Directory* root = FileManager::GetRoot();
    ASSERT_EQ(root->GetDirectoryCount(), 2u);
    EXPECT_EQ(root->GetDirectory(0)->GetName(), "Ms.rar2");
    EXPECT_EQ(ReadMember(FileManager::FindFile(String("shared.txt"))), "from Ms");

    LogCapture capture;
    EXPECT_EQ(Mount("Bad.rar2", "good.txt=1\n!fail\n"), 4);
    EXPECT_TRUE(capture.Contains("Невозможно загрузить директорию из архива [Bad.rar2]."));
    EXPECT_EQ(Mount("data.zip", "a=b\n"), 3);
    EXPECT_TRUE(capture.Contains("Не найден кодек для архива [data.zip]."));
    EXPECT_EQ(FileManager::AttachArchive(nullptr, String()), 3);
    EXPECT_TRUE(capture.Contains("Указатель на архив равен 0."));
    // A codec of another type cannot unpack an archive.
    EXPECT_EQ(Mount("photos.pic", "a=b\n"), 1);
    EXPECT_TRUE(capture.Contains("Невозможно загрузить директорию из архива [photos.pic]."));
    EXPECT_EQ(root->GetDirectoryCount(), 2u);
    EXPECT_EQ(FileManager::FindFile(String("good.txt")), nullptr);

    // With the manager stopped there is no root: the directory is destroyed.
    FileManager::Terminate();
    capture.Clear();
    EXPECT_EQ(Mount("Late.rar2", "late.txt=1\n"), 1);
    EXPECT_TRUE(capture.Contains("Невозможно подсоединить директорию [Late.rar2] к корню."));
    EXPECT_TRUE(capture.Contains("Директория удалена [Late.rar2]."));
    EXPECT_EQ(FileManager::FindFile(String("late.txt")), nullptr);
}

TEST_F(FileManagerTest, MissingResourceFailsAndLeavesTheRootUntouched)
{
    ASSERT_EQ(Mount("Media.rar2", "a.txt=1\n"), 0);
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

TEST_F(FileManagerTest, ResourceIsMountedFromTheExecutableWithoutBeingFreed)
{
    int32_t number = -1;
    for (unsigned i = 0; i < platform::kResourceCount; ++i)
        if (std::strcmp(platform::kResourceTable[i].type, "MEDIADATA") == 0)
            number = platform::kResourceTable[i].number;
    if (number < 0)
        GTEST_SKIP() << "this executable carries no MEDIADATA resource";

    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(FileManager::GetResourceData(number, &data, &size), 0);
    ASSERT_NE(data, nullptr);
    std::string before(reinterpret_cast<const char*>(data), size);

    ASSERT_EQ(FileManager::LoadArchiveResource(number, String("Resource.blob"), String()), 0);
    File* payload = FileManager::FindFile(String("payload"));
    ASSERT_NE(payload, nullptr);
    EXPECT_EQ(payload->GetPath(), "Resource.blob\\payload");
    EXPECT_EQ(ReadMember(payload), before);

    // The bytes still belong to the executable: readable and unchanged.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), before);
    const uint8_t* again = nullptr;
    ASSERT_EQ(FileManager::GetResourceData(number, &again, &size), 0);
    EXPECT_EQ(again, data);
}

TEST_F(FileManagerTest, StoppingDestroysEveryMountedFile)
{
    ASSERT_EQ(Mount("Media.rar2", "Textures\\grass.jpg=GRASS\n"), 0);
    LogCapture capture;
    EXPECT_EQ(FileManager::Terminate(), 0);
    EXPECT_EQ(FileManager::GetRoot(), nullptr);
    EXPECT_EQ(FileManager::FindFile(String("grass.jpg")), nullptr);
    EXPECT_TRUE(capture.Contains("Завершение работы менеджера файлов."));
    EXPECT_TRUE(capture.Contains("Удаляется директория [Media.rar2]."));
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
