#include "engine/codecs/image/TGAImageCodec.h"

#include <gtest/gtest.h>

#include "engine/codecs/image/CUBEImageCodec.h"
#include "engine/image/VolumeImage.h"
#include "codecs/image/ImageTestFiles.h"
#include "support/LogCapture.h"
#include "support/PeakMemory.h"
#include "support/TemporaryFolder.h"

using namespace imagetest;

namespace
{

// Two rows of two 24-bit pixels, as stored: (1,2,3) (4,5,6) / (7,8,9) (10,11,12).
const Bytes kTwoRows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

} // namespace

// Origins, alpha and packets as ImageMagick writes them are decoded in
// ImageMagickCheckTest; here the ID field it does not write, and the
// longest run one packet can hold.
TEST(TGAImageCodec, IdFieldIsSkippedAndOnePacketHoldsTheLongestRun)
{
    TGAImageCodec codec;
    Bytes withId = Join(TgaHeader(2, 1, 1, 32, 0x08, 3), Bytes{0xAA, 0xBB, 0xCC, 10, 20, 30, 40});
    Ptr<Image> alpha = Decode(codec, "c.tga", withId);
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->GetFileName(), "c.tga");
    EXPECT_EQ(Pixels(*alpha), (Bytes{30, 20, 10, 40}));

    Ptr<Image> longest = Decode(codec, "run.tga", Join(TgaHeader(10, 128, 1, 24, 0x20), Bytes{0xFF, 1, 2, 3}));
    ASSERT_TRUE(longest);
    EXPECT_EQ(Bytes(longest->GetData() + 381, longest->GetData() + 384), (Bytes{1, 2, 3}));
}

TEST(TGAImageCodec, RefusesOtherDepthsTypesAndDamagedFilesWithOneLogLine)
{
    TGAImageCodec codec;
    struct Case
    {
        const char* what;
        Bytes file;
        size_t lines; // a read past the data adds the stream's own line
    };
    const Case cases[] = {
        {"16 bits", Join(TgaHeader(2, 1, 1, 16, 0), Bytes{1, 2}), 1},
        {"colour-mapped", Join(TgaHeader(1, 1, 1, 24, 0), Bytes{1, 2, 3}), 1},
        {"short header", Bytes(10, 0), 2},
        {"no pixels", TgaHeader(2, 0, 5, 24, 0), 1},
        // 65535 x 65535 x 4 bytes would overflow 32 bits; the file holds 3.
        {"size beyond the file", Join(TgaHeader(2, 65535, 65535, 32, 0), Bytes{1, 2, 3}), 1},
        {"pixels cut short", Join(TgaHeader(2, 2, 2, 24, 0), Bytes(11, 7)), 1},
        // Two run packets give at most 256 pixels, not 1000.
        {"run length beyond the file", Join(TgaHeader(10, 1000, 1, 24, 0), Bytes{0xFF, 1, 2, 3, 0xFF, 1, 2, 3}), 1},
        {"packet past the image", Join(TgaHeader(10, 2, 1, 24, 0), Bytes{0x82, 1, 2, 3}), 1},
        {"raw packet past the image", Join(TgaHeader(10, 1, 1, 24, 0), Bytes{0x01, 1, 2, 3, 4, 5, 6}), 1},
        {"packet cut short", Join(TgaHeader(10, 3, 1, 24, 0), Bytes{0x02, 1, 2, 3, 4}), 2},
    };
    for (const Case& c : cases)
    {
        LogCapture log;
        int32_t result = 0;
        Ptr<Image> image = Decode(codec, "bad.tga", c.file, &result);
        EXPECT_EQ(result, 1) << c.what;
        EXPECT_FALSE(image) << c.what;
        EXPECT_EQ(Complaints(log).size(), c.lines) << c.what;
    }
}

TEST(TGAImageCodec, SavingAndLoadingAgainReversesRowsAndKeepsTheExchange)
{
    TemporaryFolder folder;
    TGAImageCodec codec;
    Ptr<Image> image = new Image(String("pic"), Image::kPixel24, 2, 2);
    std::memcpy(image->GetData(), kTwoRows.data(), kTwoRows.size());
    File file{String((folder.Path() + "/saved.tga").c_str())};
    ASSERT_EQ(codec.SaveImage(&file, image.Get()), 0);

    Bytes saved = ReadBytes(folder.Path() + "/saved.tga");
    ASSERT_EQ(saved.size(), 18u + 12u);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 18), TgaHeader(2, 2, 2, 24, 0x28));

    Ptr<Image> loaded = DecodePath(codec, folder.Path() + "/saved.tga");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Pixels(*loaded), (Bytes{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));

    Ptr<Image> grey = new Image(String("grey"), Image::kPixel8, 2, 2);
    EXPECT_EQ(codec.SaveImage(&file, grey.Get()), 3);
}

TEST(CUBEImageCodec, SixFacesFollowEachOtherInFileOrder)
{
    CUBEImageCodec codec;
    Bytes file;
    for (uint8_t face = 0; face < 6; ++face)
        file = Join(file, Join(TgaHeader(2, 1, 2, 24, 0), Bytes{face, 0, 100, face, 1, 100}));
    Ptr<Image> image = Decode(codec, "sky.cube", file);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->IsExactly(VolumeImage::TYPE));
    EXPECT_EQ(static_cast<VolumeImage*>(image.Get())->GetDepth(), 6u);
    ASSERT_EQ(image->GetDataSize(), 36u);
    for (uint8_t face = 0; face < 6; ++face)
        EXPECT_EQ(Bytes(image->GetData() + face * 6, image->GetData() + face * 6 + 6),
                  (Bytes{100, 0, face, 100, 1, face}));

    // Saving writes each face as a Targa picture: loading that file gives
    // every face's rows reversed and bytes as stored.
    TemporaryFolder folder;
    File saved{String((folder.Path() + "/again.cube").c_str())};
    ASSERT_EQ(codec.SaveImage(&saved, image.Get()), 0);
    Ptr<Image> again = DecodePath(codec, folder.Path() + "/again.cube");
    ASSERT_TRUE(again);
    EXPECT_EQ(Bytes(again->GetData(), again->GetData() + 6), (Bytes{0, 1, 100, 0, 0, 100}));

    Ptr<Image> flat = new Image(String("flat"), Image::kPixel24, 1, 1);
    EXPECT_EQ(codec.SaveImage(&saved, flat.Get()), 3);
}

TEST(CUBEImageCodec, RefusesMismatchedMissingFacesAndAFlatTarget)
{
    CUBEImageCodec codec;
    Bytes face = Join(TgaHeader(2, 1, 1, 24, 0), Bytes{1, 2, 3});
    Bytes five;
    for (int i = 0; i < 5; ++i)
        five = Join(five, face);
    LogCapture log;
    int32_t result = 0;
    EXPECT_FALSE(Decode(codec, "five.cube", five, &result));
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(Decode(codec, "odd.cube", Join(five, Join(TgaHeader(2, 1, 1, 32, 0), Bytes{1, 2, 3, 4})), &result));
    EXPECT_EQ(result, 1);
    EXPECT_GE(log.Lines().size(), 2u);

    const Bytes six = Join(five, face);
    VirtualFile file(String("six.cube"), six.data(), static_cast<uint32_t>(six.size()));
    Ptr<Image> flat = new Image();
    Image* place = flat.Get();
    EXPECT_EQ(codec.LoadImage(&file, &place), 3);
}

TEST(CUBEImageCodec, SizesBeyondTheImageLimitOrTheFileAreRefusedFromTheFirstHeaderAlone)
{
    // Run-length faces of 4096 x 2731 at four bytes: 437 kB of packets each,
    // each face allowed, six together (268 MB) not.
    Bytes face = TgaHeader(10, 4096, 2731, 32, 0);
    const Bytes packet = {0xFF, 1, 2, 3, 4}; // 128 copies of one pixel
    for (uint32_t pixels = 0; pixels < 4096u * 2731u; pixels += 128)
        face.insert(face.end(), packet.begin(), packet.end());
    Bytes six;
    for (int i = 0; i < 6; ++i)
        six = Join(six, face);
    // 1024 x 1024 x 3 six times is allowed, but the file holds one face.
    const Bytes one = Join(TgaHeader(2, 1024, 1024, 24, 0), Bytes(1024 * 1024 * 3, 9));
    const std::pair<const Bytes*, const char*> cases[] = {
        {&six, "Размеры изображения [4096 x 2731] в файле CUBE [sky.cube] слишком велики."},
        {&one, "Размеры изображения [1024 x 1024] не соответствуют файлу CUBE [sky.cube]."},
    };
    CUBEImageCodec codec;
    for (const auto& [file, line] : cases)
    {
        LogCapture log;
        int32_t result = 0;
        EXPECT_FALSE(Decode(codec, "sky.cube", *file, &result)) << line;
        EXPECT_EQ(result, 1) << line;
        EXPECT_EQ(Complaints(log), std::vector<std::string>{line});
        EXPECT_LT(PeakGrowthMegabytes([&] { Decode(codec, "sky.cube", *file); }), 16) << line;
    }
}
