#include "engine/image/Image.h"

#include <gtest/gtest.h>

#include "codecs/image/ImageTestFiles.h"
#include "engine/EngineClasses.h"
#include "engine/image/VolumeImage.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Stream.h"
#include "engine/files/CodecManager.h"
#include "engine/files/Directory.h"
#include "engine/files/FileManager.h"
#include "support/LogCapture.h"

using namespace imagetest;

namespace
{

// A running engine with the image codecs in the table and one mounted
// directory holding a 1 x 2 Targa picture called "stone.tga".
class ImageFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterEngineClasses();
        ASSERT_EQ(InitializeEngine(), 0);
        Codec* codec = nullptr;
        for (const char* name : {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec"})
            ASSERT_EQ(CodecManager::GetCodec(String(name), &codec), 0);
        Directory* media = new Directory(String("Media.rar2"), FileManager::GetRoot());
        media->AddFile(MakeFile("stone.tga", Join(TgaHeader(2, 1, 2, 24, 0), Bytes{1, 2, 3, 4, 5, 6})));
        media->AddFile(MakeFile("broken.tga", TgaHeader(2, 1, 2, 16, 0)));
    }
    void TearDown() override { TerminateEngine(); }

    static File* MakeFile(const char* name, const Bytes& bytes)
    {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
        std::memcpy(copy.get(), bytes.data(), bytes.size());
        return new VirtualFile(String(name), std::move(copy), static_cast<uint32_t>(bytes.size()));
    }

    // The image's own part of its record: what follows the Object part.
    static Bytes OwnRecord(Image& image)
    {
        Stream stream(0, 256);
        EXPECT_EQ(image.Save(stream), 0);
        const uint32_t objectPart = 4 + image.GetName().Length() + 4;
        return Bytes(stream.GetBuffer() + objectPart, stream.GetBuffer() + stream.GetPosition());
    }

    static Bytes Words(std::initializer_list<uint32_t> words)
    {
        Stream out(0, 64);
        for (uint32_t word : words)
            out.WriteUInt32(word);
        return WrittenBytes(out);
    }

    // Loads an Object part named "loaded" followed by ownPart.
    static int32_t LoadRecord(Image& image, const Bytes& ownPart)
    {
        Bytes record = Join(Join(Words({6}), Bytes{'l', 'o', 'a', 'd', 'e', 'd'}), Words({0}));
        File* file = MakeFile("record", Join(record, ownPart));
        file->Open(File::kRead);
        int32_t result = image.Load(*file);
        delete file;
        return result;
    }
};

} // namespace

TEST_F(ImageFiles, RecordsStoreTheFileNameOrElseTheSizeAndFormat)
{
    // No file name: 4 + 0 bytes of name, then width, height, format.
    Ptr<Image> made = new Image(String("target"), Image::kPixel32, 5, 3);
    EXPECT_EQ(OwnRecord(*made), Words({0, 5, 3, 1}));
    Ptr<VolumeImage> volume = new VolumeImage(String("volume"), Image::kPixel8, 4, 2, 6);
    EXPECT_EQ(OwnRecord(*volume), Words({0, 4, 2, 6, 2}));

    Ptr<Image> loaded = new Image();
    ASSERT_EQ(LoadRecord(*loaded, Words({0, 5, 3, 1})), 0);
    EXPECT_EQ(loaded->GetName(), "loaded");
    EXPECT_EQ(loaded->GetDataSize(), 60u);
    EXPECT_NE(loaded->GetData(), nullptr);
    Ptr<VolumeImage> loadedVolume = new VolumeImage();
    ASSERT_EQ(LoadRecord(*loadedVolume, Words({0, 4, 2, 6, 2})), 0);
    EXPECT_EQ(loadedVolume->GetDepth(), 6u);
    EXPECT_EQ(loadedVolume->GetDataSize(), 48u);

    // With a file name only the name is stored (the shown scene's pictures
    // load back that way).
    Ptr<Image> decoded = new Image(FileManager::FindFile(String("stone.tga")), String());
    EXPECT_EQ(decoded->GetName(), "stone.tga");
    EXPECT_EQ(OwnRecord(*decoded), Join(Words({9}), Bytes{'s', 't', 'o', 'n', 'e', '.', 't', 'g', 'a'}));
}

TEST_F(ImageFiles, DamagedRecordsFailWithTheirLogLine)
{
    LogCapture log;
    Ptr<Image> image = new Image();
    EXPECT_EQ(LoadRecord(*image, Join(Words({8}), Bytes{'n', 'o', 'n', 'e', '.', 't', 'g', 'a'})), 1);
    EXPECT_TRUE(log.Contains("Невозможно загрузить изображение из файла. ID["));
    EXPECT_EQ(LoadRecord(*image, Join(Words({10}), Bytes{'b', 'r', 'o', 'k', 'e', 'n', '.', 't', 'g', 'a'})), 1);
    EXPECT_TRUE(log.Contains("Неудачна загрузка изображения [loaded]."));
    EXPECT_EQ(LoadRecord(*image, Words({0, 5, 3})), 1);
    EXPECT_TRUE(log.Contains("Невозможно загрузить формат изображения."));
    EXPECT_EQ(LoadRecord(*image, Words({0, 5, 3, 77})), 1);
    // 65535 x 65535 x 8 bytes: beyond what the engine allocates, no data.
    EXPECT_EQ(LoadRecord(*image, Words({0, 65535, 65535, 3})), 2);
    EXPECT_TRUE(log.Contains("Недостаточно памяти для создания изображения."));
    EXPECT_EQ(image->GetData(), nullptr);
    Ptr<Image> huge = new Image(String("huge"), Image::kPixel64, UINT32_MAX, UINT32_MAX);
    EXPECT_EQ(huge->GetDataSize(), UINT64_MAX);
    EXPECT_EQ(huge->GetData(), nullptr);
}

TEST_F(ImageFiles, LoadAndSaveGiveThreeWithoutFileOrCodecAndOneWhenTheCodecFails)
{
    LogCapture log;
    Ptr<Image> image = new Image(String("pic"), Image::kPixel24, 1, 1);
    EXPECT_EQ(image->LoadFromFile(nullptr), 3);
    EXPECT_TRUE(log.Contains("Указатель на файл равен 0 при загрузке изображения [pic]."));
    EXPECT_EQ(image->SaveToFile(nullptr), 3);
    EXPECT_TRUE(log.Contains("Указатель на файл равен 0 при сохранении изображения [pic]."));
    VirtualFile unknown(String("pic.xyz"), std::unique_ptr<uint8_t[]>(), 0);
    EXPECT_EQ(image->LoadFromFile(&unknown), 3);
    EXPECT_TRUE(log.Contains("Не найден кодек для файла при загрузке изображения [pic]."));
    EXPECT_EQ(image->SaveToFile(&unknown), 3);
    EXPECT_TRUE(log.Contains("Не найден кодек для файла при сохранении изображения [pic]."));
    EXPECT_EQ(image->LoadFromFile(FileManager::FindFile(String("broken.tga"))), 1);
    EXPECT_TRUE(log.Contains("Неудачна загрузка изображения [pic]."));
    // A virtual file cannot be written.
    EXPECT_EQ(image->SaveToFile(FileManager::FindFile(String("stone.tga"))), 1);
    EXPECT_TRUE(log.Contains("Неудачно сохранение изображения [pic]."));
}
