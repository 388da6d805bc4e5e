#include "engine/codecs/image/JPGImageCodec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "codecs/image/ImageTestFiles.h"
#include "support/LogCapture.h"
#include "support/PeakMemory.h"
#include "support/TemporaryFolder.h"

using namespace imagetest;

namespace
{

// A smooth picture whose rows all differ, so a row order mistake shows.
Ptr<Image> Gradient(int32_t format, uint32_t width, uint32_t height)
{
    Ptr<Image> image = new Image(String("gradient"), format, width, height);
    const uint32_t bytes = image->GetBytesPerPixel();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < bytes; ++c)
                image->GetData()[(y * width + x) * bytes + c] = static_cast<uint8_t>(y * 8 + x * 2 + c * 40);
    return image;
}

int MaxDifference(const Image& a, const Image& b)
{
    int largest = 0;
    for (uint64_t i = 0; i < a.GetDataSize() && i < b.GetDataSize(); ++i)
        largest = std::max(largest, std::abs(int(a.GetData()[i]) - int(b.GetData()[i])));
    return largest;
}

// A 16 x 16 progressive greyscale file from the library itself, its frame
// header then patched to claim side x side pixels (0: left as made).
Bytes ProgressiveGrey(uint16_t side)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = 16;
    info.image_height = 16;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    uint8_t row[16];
    for (uint8_t& sample : row)
        sample = static_cast<uint8_t>((&sample - row) * 16);
    while (info.next_scanline < 16)
    {
        JSAMPROW rows = row;
        jpeg_write_scanlines(&info, &rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(out, out + size);
    std::free(out);
    for (size_t i = 0; side != 0 && i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2) // progressive frame: height, then width, big-endian
        {
            bytes[i + 5] = bytes[i + 7] = static_cast<uint8_t>(side >> 8);
            bytes[i + 6] = bytes[i + 8] = static_cast<uint8_t>(side);
            break;
        }
    return bytes;
}

class JpegFile : public ::testing::Test
{
protected:
    Bytes Save(Image& image)
    {
        File file{String((folder.Path() + "/pic.jpg").c_str())};
        EXPECT_EQ(codec.SaveImage(&file, &image), 0);
        return ReadBytes(folder.Path() + "/pic.jpg");
    }

    TemporaryFolder folder;
    JPGImageCodec codec;
};

} // namespace

TEST_F(JpegFile, RoundTripKeepsBottomRowFirstAndOneByteImagesStayGrey)
{
    Ptr<Image> colour = Gradient(Image::kPixel24, 24, 16);
    Ptr<Image> loaded = Decode(codec, "pic.jpg", Save(*colour));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetFormat(), Image::kPixel24);
    EXPECT_EQ(loaded->GetWidth(), 24u);
    EXPECT_EQ(loaded->GetHeight(), 16u);
    EXPECT_LE(MaxDifference(*colour, *loaded), 4);

    // The one-component case: a greyscale file, read back as format 2.
    Ptr<Image> grey = Gradient(Image::kPixel8, 24, 16);
    Bytes file = Save(*grey);
    EXPECT_EQ(file[0], 0xFF);
    Ptr<Image> greyLoaded = Decode(codec, "pic.jpg", file);
    ASSERT_TRUE(greyLoaded);
    EXPECT_EQ(greyLoaded->GetFormat(), Image::kPixel8);
    EXPECT_LE(MaxDifference(*grey, *greyLoaded), 2);

    Ptr<Image> alpha = Gradient(Image::kPixel32, 2, 2);
    File refused{String((folder.Path() + "/alpha.jpg").c_str())};
    EXPECT_EQ(codec.SaveImage(&refused, alpha.Get()), 3);
}

TEST_F(JpegFile, TruncatedOrDamagedDataFailsWithTheLibraryMessage)
{
    Bytes file = Save(*Gradient(Image::kPixel24, 64, 64));
    for (size_t keep : {file.size() - 2, file.size() / 2, size_t(300), size_t(20), size_t(2)})
    {
        LogCapture log;
        int32_t result = 0;
        EXPECT_FALSE(Decode(codec, "cut.jpg", Bytes(file.begin(), file.begin() + keep), &result)) << keep;
        EXPECT_EQ(result, 1) << keep;
        // A warning "number text": the library's message.
        bool logged = false;
        for (const LogCapture::Line& line : log.Lines())
            logged |= line.level == kLogWarning && std::atoi(line.text.c_str()) > 0 &&
                      line.text.find(' ') != std::string::npos;
        EXPECT_TRUE(logged) << keep;
    }
    LogCapture log;
    int32_t result = 0;
    EXPECT_FALSE(Decode(codec, "junk.jpg", Bytes(100, 0x41), &result));
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(log.Lines().empty());
}

TEST_F(JpegFile, AProgressiveFileBeyondTheImageLimitIsRefusedBeforeTheLibraryTakesMemory)
{
    // 16384 x 16384 grey is 256 MB of pixels, but a progressive decode first
    // keeps every coefficient of the picture: twice that.
    const Bytes huge = ProgressiveGrey(16384);
    ASSERT_LT(huge.size(), 400u);
    LogCapture log;
    int32_t result = 0;
    EXPECT_FALSE(Decode(codec, "huge.jpg", huge, &result));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Complaints(log),
              std::vector<std::string>{"Размеры изображения [16384 x 16384] в файле JPEG [huge.jpg] слишком велики."});
    EXPECT_LT(PeakGrowthMegabytes([&] { Decode(codec, "huge.jpg", huge); }), 32);

    // The bound leaves an ordinary progressive file alone.
    Ptr<Image> small = Decode(codec, "small.jpg", ProgressiveGrey(0), &result);
    ASSERT_TRUE(small) << result;
    EXPECT_EQ(small->GetWidth(), 16u);
    EXPECT_NEAR(small->GetData()[15 * 16 + 15], 240, 4);
}
