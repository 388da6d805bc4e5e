#include "engine/codecs/image/BMPImageCodec.h"

#include <gtest/gtest.h>

#include "codecs/image/ImageTestFiles.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"

using namespace imagetest;

// Padded rows and palettes as ImageMagick writes them are decoded in
// ImageMagickCheckTest; here the top-down file it does not write: the
// indices as stored (the palette before them skipped), bottom row first.
TEST(BMPImageCodec, TopDownFileIsTurnedSoTheBottomRowComesFirst)
{
    BMPImageCodec codec;
    Bytes paletted = BmpHeader(3, -2, 8, 8);
    Poke32(paletted, 10, 54 + 8);
    paletted = Join(paletted, Bytes{9, 9, 9, 0, 8, 8, 8, 0, 1, 2, 3, 0xEE, 4, 5, 6, 0xEE});
    Ptr<Image> indices = Decode(codec, "grey.bmp", paletted);
    ASSERT_TRUE(indices);
    EXPECT_EQ(indices->GetFormat(), Image::kPixel8);
    EXPECT_EQ(Pixels(*indices), (Bytes{4, 5, 6, 1, 2, 3}));
}

TEST(BMPImageCodec, RefusesOffsetsAndSizesOutsideTheFileWithALogLine)
{
    BMPImageCodec codec;
    const Bytes pixel = {1, 2, 3, 0};
    struct Case
    {
        const char* what;
        Bytes file;
    };
    Bytes offsetPast = Join(BmpHeader(1, 1, 24, 4), pixel);
    Poke32(offsetPast, 10, 5000);
    Bytes offsetInHeader = Join(BmpHeader(1, 1, 24, 4), pixel);
    Poke32(offsetInHeader, 10, 20);
    Bytes compressed = Join(BmpHeader(1, 1, 8, 4), pixel);
    Poke32(compressed, 30, 1);
    const Case cases[] = {
        {"offset past the end", offsetPast},
        {"offset inside the headers", offsetInHeader},
        {"rows beyond the file", Join(BmpHeader(100, 100, 24, 4), pixel)},
        {"size beyond any picture", Join(BmpHeader(100000, 100000, 24, 4), pixel)},
        {"negative width", Join(BmpHeader(-1, 1, 24, 4), pixel)},
        {"32 bits", Join(BmpHeader(1, 1, 32, 4), pixel)},
        {"run-length", compressed},
        {"not a bitmap", Bytes(60, 0)},
    };
    for (const Case& c : cases)
    {
        LogCapture log;
        int32_t result = 0;
        EXPECT_FALSE(Decode(codec, "bad.bmp", c.file, &result)) << c.what;
        EXPECT_EQ(result, 1) << c.what;
        EXPECT_FALSE(log.Lines().empty()) << c.what;
    }
}

TEST(BMPImageCodec, SavesTheDescribedHeadersAndAGreyPaletteForEightBits)
{
    TemporaryFolder folder;
    BMPImageCodec codec;
    Ptr<Image> colour = new Image(String("c"), Image::kPixel24, 2, 1);
    const Bytes rgb = {10, 20, 30, 40, 50, 60};
    std::memcpy(colour->GetData(), rgb.data(), rgb.size());
    File file{String((folder.Path() + "/c.bmp").c_str())};
    ASSERT_EQ(codec.SaveImage(&file, colour.Get()), 0);
    Bytes saved = ReadBytes(folder.Path() + "/c.bmp");
    ASSERT_EQ(saved.size(), 62u);
    EXPECT_EQ(Peek32(saved, 2), 62u);
    EXPECT_EQ(Peek32(saved, 10), 54u);
    EXPECT_EQ(Peek32(saved, 34), 8u);
    EXPECT_EQ(Peek32(saved, 38), 3780u);
    EXPECT_EQ(Bytes(saved.begin() + 54, saved.end()), (Bytes{30, 20, 10, 60, 50, 40, 0, 0}));
    Ptr<Image> again = DecodePath(codec, folder.Path() + "/c.bmp");
    ASSERT_TRUE(again);
    EXPECT_EQ(Pixels(*again), rgb);

    Ptr<Image> grey = new Image(String("g"), Image::kPixel8, 3, 1);
    grey->GetData()[0] = 0;
    grey->GetData()[1] = 128;
    grey->GetData()[2] = 255;
    File greyFile{String((folder.Path() + "/g.bmp").c_str())};
    ASSERT_EQ(codec.SaveImage(&greyFile, grey.Get()), 0);
    saved = ReadBytes(folder.Path() + "/g.bmp");
    ASSERT_EQ(saved.size(), 54u + 1024u + 4u);
    EXPECT_EQ(Peek32(saved, 10), 54u + 1024u);
    EXPECT_EQ(Peek32(saved, 2), saved.size());
    EXPECT_EQ(Peek32(saved, 54 + 4 * 128), 0x00808080u);
    again = DecodePath(codec, folder.Path() + "/g.bmp");
    ASSERT_TRUE(again);
    EXPECT_EQ(Pixels(*again), (Bytes{0, 128, 255}));

    Ptr<Image> alpha = new Image(String("a"), Image::kPixel32, 1, 1);
    EXPECT_EQ(codec.SaveImage(&file, alpha.Get()), 3);
}
