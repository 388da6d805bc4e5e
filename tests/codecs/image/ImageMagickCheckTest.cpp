// The independent check: pictures written by ImageMagick in every variant
// the codecs read decode to the pixels ImageMagick itself reads from them,
// once the engine's row and byte orders are allowed for. (What the codecs
// write is pinned byte for byte by their own tests.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "codecs/image/ImageTestFiles.h"
#include "engine/codecs/image/BMPImageCodec.h"
#include "engine/codecs/image/JPGImageCodec.h"
#include "engine/codecs/image/TGAImageCodec.h"
#include "support/TemporaryFolder.h"

using namespace imagetest;

namespace
{

// How the engine's memory relates to ImageMagick's raw output (top row
// first, red-green-blue).
enum class Layout
{
    kBottomRowFirst,     // TGA with the bottom-left origin, BMP, JPEG
    kAsStoredTopFirst,   // TGA with the top-left origin: blue-green-red
    kPaletteIndices,     // 8-bit BMP: indices into the file's palette
};

class ImageMagickCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v convert > /dev/null 2>&1") != 0)
            GTEST_SKIP() << "ImageMagick's convert is not installed";
        // 13 pixels wide: every BMP row needs padding at 8 and 24 bits.
        ASSERT_EQ(Convert("-size 13x7 -seed 5 plasma:fractal", "", "source.ppm"), 0);
        ASSERT_EQ(Convert("-size 13x7 -seed 5 plasma:fractal -alpha set -channel A -fx '(i+j*13)/91' +channel", "",
                          "source.png"), 0);
    }

    std::string PathOf(const std::string& name) const { return folder.Path() + "/" + name; }

    // convert INPUT OPTIONS [FORMAT:]OUTPUT, both in the folder unless the
    // input is a generator.
    int Convert(const std::string& input, const std::string& options, const std::string& output,
                const std::string& format = "")
    {
        std::string command = "convert ";
        if (input.find(':') == std::string::npos)
            command.append("'").append(PathOf(input)).append("'");
        else
            command.append(input);
        command.append(" ").append(options).append(" ").append(format);
        command.append("'").append(PathOf(output)).append("' > /dev/null 2>&1");
        return std::system(command.c_str());
    }

    // ImageMagick's own reading of a file, turned upright by its origin.
    Bytes Raw(const std::string& name, const std::string& channels)
    {
        EXPECT_EQ(Convert(name, "-auto-orient -depth 8", name + "." + channels, channels + ":"), 0);
        return ReadBytes(PathOf(name + "." + channels));
    }

    TemporaryFolder folder;
};

} // namespace

TEST_F(ImageMagickCheck, ItsFilesDecodeToThePixelsItReadsFromThem)
{
    TGAImageCodec targa;
    BMPImageCodec bitmap;
    JPGImageCodec jpeg;
    struct Variant
    {
        Codec* codec;
        const char* name;
        const char* format; // where the extension alone would choose another
        const char* options;
        const char* channels; // "rgba" pictures come from the source with alpha
        uint32_t count;       // channels in ImageMagick's raw output
        Layout layout;
    };
    const Variant variants[] = {
        {&targa, "plain.tga", "", "", "rgb", 3, Layout::kBottomRowFirst},
        {&targa, "rle.tga", "", "-compress RLE", "rgb", 3, Layout::kBottomRowFirst},
        {&targa, "alpha.tga", "", "", "rgba", 4, Layout::kBottomRowFirst},
        {&targa, "alpharle.tga", "", "-compress RLE", "rgba", 4, Layout::kBottomRowFirst},
        {&targa, "top.tga", "", "-orient TopLeft", "rgb", 3, Layout::kAsStoredTopFirst},
        {&targa, "toprle.tga", "", "-orient TopLeft -compress RLE", "rgba", 4, Layout::kAsStoredTopFirst},
        {&bitmap, "c3.bmp", "bmp3:", "", "rgb", 3, Layout::kBottomRowFirst},
        {&bitmap, "c5.bmp", "", "", "rgb", 3, Layout::kBottomRowFirst},
        {&bitmap, "p3.bmp", "bmp3:", "-type Palette -compress None", "rgb", 3, Layout::kPaletteIndices},
        {&bitmap, "g3.bmp", "bmp3:", "-colorspace Gray -type Palette -compress None", "rgb", 3,
         Layout::kPaletteIndices},
        // Exact: both read through the same libjpeg-turbo decoder.
        {&jpeg, "baseline.jpg", "", "-quality 90", "rgb", 3, Layout::kBottomRowFirst},
        {&jpeg, "full.jpg", "", "-quality 100 -sampling-factor 1x1", "rgb", 3, Layout::kBottomRowFirst},
        {&jpeg, "progressive.jpg", "", "-interlace JPEG", "rgb", 3, Layout::kBottomRowFirst},
        {&jpeg, "grey.jpg", "", "-colorspace Gray", "gray", 1, Layout::kBottomRowFirst},
    };
    for (const Variant& v : variants)
    {
        SCOPED_TRACE(v.name);
        const std::string source = v.count == 4 ? "source.png" : "source.ppm";
        ASSERT_EQ(Convert(source, v.options, v.name, v.format), 0);
        Ptr<Image> image = DecodePath(*v.codec, PathOf(v.name));
        ASSERT_TRUE(image);
        const bool palette = v.layout == Layout::kPaletteIndices;
        ASSERT_EQ(image->GetBytesPerPixel(), palette ? 1u : v.count);
        const Bytes raw = Raw(v.name, v.channels);
        const uint32_t width = image->GetWidth(), height = image->GetHeight();
        ASSERT_EQ(raw.size(), uint64_t(width) * height * v.count);
        const Bytes file = ReadBytes(PathOf(v.name));
        const size_t paletteAt = palette ? 14 + Peek32(file, 14) : 0;
        int largest = 0;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                for (uint32_t c = 0; c < v.count; ++c)
                {
                    const uint32_t row = v.layout == Layout::kAsStoredTopFirst ? y : height - 1 - y;
                    const uint8_t* pixel = image->GetData() + (row * width + x) * image->GetBytesPerPixel();
                    const int ours = palette ? file[paletteAt + pixel[0] * 4 + (2 - c)]
                                             : pixel[v.layout == Layout::kAsStoredTopFirst && c < 3 ? 2 - c : c];
                    largest = std::max(largest, std::abs(ours - int(raw[(y * width + x) * v.count + c])));
                }
        EXPECT_EQ(largest, 0);
    }
}
