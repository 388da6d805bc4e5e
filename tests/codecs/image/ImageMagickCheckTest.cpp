// The independent check: pictures written by ImageMagick in every variant
// the codecs read decode to the pixels ImageMagick itself reads from them,
// once the engine's row and byte orders are allowed for; and the files the
// codecs write read back in ImageMagick as the same pictures.
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
        ASSERT_EQ(Convert("-size 13x7 -seed 5 plasma:fractal", "source.ppm"), 0);
        ASSERT_EQ(Convert("-size 13x7 -seed 5 plasma:fractal -alpha set -channel A -fx '(i+j*13)/91' +channel",
                          "source.png"), 0);
    }

    std::string PathOf(const std::string& name) const { return folder.Path() + "/" + name; }

    // A path for the shell, followed by more arguments.
    std::string Quoted(const std::string& name, const std::string& more = std::string()) const
    {
        std::string quoted = "'";
        quoted.append(PathOf(name)).append("' ").append(more);
        return quoted;
    }

    // convert ARGUMENTS [FORMAT:]OUTPUT, the output in the folder.
    int Convert(const std::string& arguments, const std::string& output, const std::string& format = "")
    {
        std::string command = "convert ";
        command.append(arguments).append(" ").append(format).append(Quoted(output, "> /dev/null 2>&1"));
        return std::system(command.c_str());
    }

    // ImageMagick's own reading of a file, turned upright by its origin.
    Bytes Raw(const std::string& name, const char* channels)
    {
        std::string out = name;
        out.append(".").append(channels);
        std::string format = channels;
        format.append(":");
        EXPECT_EQ(Convert(Quoted(name, "-auto-orient -depth 8"), out, format), 0);
        return ReadBytes(PathOf(out));
    }

    void ExpectSame(const Image& image, const Bytes& raw, uint32_t channels, Layout layout, int tolerance,
                    const std::string& what, const Bytes& palette = {})
    {
        const uint32_t width = image.GetWidth(), height = image.GetHeight();
        ASSERT_EQ(raw.size(), uint64_t(width) * height * channels) << what;
        int largest = 0;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                for (uint32_t c = 0; c < channels; ++c)
                {
                    const uint32_t row = layout == Layout::kAsStoredTopFirst ? y : height - 1 - y;
                    int ours;
                    if (layout == Layout::kPaletteIndices)
                        ours = palette[image.GetData()[row * width + x] * 4 + (2 - c)];
                    else
                    {
                        const uint32_t channel = layout == Layout::kAsStoredTopFirst && c < 3 ? 2 - c : c;
                        ours = image.GetData()[(row * width + x) * channels + channel];
                    }
                    largest = std::max(largest, std::abs(ours - int(raw[(y * width + x) * channels + c])));
                }
        EXPECT_LE(largest, tolerance) << what;
    }

    TemporaryFolder folder;
};

} // namespace

TEST_F(ImageMagickCheck, TargaVariantsDecodeToImageMagicksPixels)
{
    TGAImageCodec codec;
    struct Variant
    {
        const char* source;
        const char* options;
        const char* channels;
        Layout layout;
    };
    const Variant variants[] = {
        {"source.ppm", "", "rgb", Layout::kBottomRowFirst},
        {"source.ppm", "-compress RLE", "rgb", Layout::kBottomRowFirst},
        {"source.png", "", "rgba", Layout::kBottomRowFirst},
        {"source.png", "-compress RLE", "rgba", Layout::kBottomRowFirst},
        {"source.ppm", "-orient TopLeft", "rgb", Layout::kAsStoredTopFirst},
        {"source.png", "-orient TopLeft -compress RLE", "rgba", Layout::kAsStoredTopFirst},
    };
    int index = 0;
    for (const Variant& v : variants)
    {
        std::string name = std::to_string(index++);
        name.append(".tga");
        ASSERT_EQ(Convert(Quoted(v.source, v.options), name), 0) << v.options;
        Ptr<Image> image = DecodePath(codec, PathOf(name));
        ASSERT_TRUE(image) << name;
        const uint32_t channels = std::string(v.channels).size();
        ExpectSame(*image, Raw(name, v.channels), channels, v.layout, 0, name + " " + v.options);
    }

    // Our save is the same picture to ImageMagick.
    Ptr<Image> image = DecodePath(codec, PathOf("2.tga"));
    File saved{String(PathOf("saved.tga").c_str())};
    ASSERT_EQ(codec.SaveImage(&saved, image.Get()), 0);
    EXPECT_EQ(Raw("saved.tga", "rgba"), Raw("2.tga", "rgba"));
}

TEST_F(ImageMagickCheck, BitmapVariantsDecodeToImageMagicksPixelsAndOurGreyBitmapReadsAsGrey)
{
    BMPImageCodec codec;
    ASSERT_EQ(Convert(Quoted("source.ppm"), "c3.bmp", "bmp3:"), 0);
    ASSERT_EQ(Convert(Quoted("source.ppm"), "c5.bmp"), 0);
    for (const char* name : {"c3.bmp", "c5.bmp"})
    {
        Ptr<Image> image = DecodePath(codec, PathOf(name));
        ASSERT_TRUE(image) << name;
        ExpectSame(*image, Raw(name, "rgb"), 3, Layout::kBottomRowFirst, 0, name);
    }
    const char* paletted[][2] = {{"p3.bmp", "-type Palette -compress None"},
                                 {"g3.bmp", "-colorspace Gray -type Palette -compress None"}};
    for (const auto& [name, options] : paletted)
    {
        ASSERT_EQ(Convert(Quoted("source.ppm", options), name, "bmp3:"), 0);
        Ptr<Image> image = DecodePath(codec, PathOf(name));
        ASSERT_TRUE(image) << name;
        ASSERT_EQ(image->GetFormat(), Image::kPixel8);
        Bytes file = ReadBytes(PathOf(name));
        Bytes palette(file.begin() + 14 + Peek32(file, 14), file.begin() + Peek32(file, 10));
        ExpectSame(*image, Raw(name, "rgb"), 3, Layout::kPaletteIndices, 0, name, palette);
    }

    // An 8-bit save: other readers see the indices as grey levels.
    Ptr<Image> grey = DecodePath(codec, PathOf("g3.bmp"));
    File saved{String(PathOf("ours.bmp").c_str())};
    ASSERT_EQ(codec.SaveImage(&saved, grey.Get()), 0);
    ExpectSame(*grey, Raw("ours.bmp", "gray"), 1, Layout::kBottomRowFirst, 0, "our grey bitmap");
}

TEST_F(ImageMagickCheck, JpegVariantsDecodeToImageMagicksPixelsAndOurGreyJpegIsGrey)
{
    JPGImageCodec codec;
    struct Variant
    {
        const char* name;
        const char* options;
        const char* channels;
        uint32_t count;
    };
    const Variant variants[] = {
        {"baseline.jpg", "-quality 90", "rgb", 3},
        {"full.jpg", "-quality 100 -sampling-factor 1x1", "rgb", 3},
        {"progressive.jpg", "-interlace JPEG", "rgb", 3},
        {"grey.jpg", "-colorspace Gray", "gray", 1},
    };
    for (const Variant& v : variants)
    {
        ASSERT_EQ(Convert(Quoted("source.ppm", v.options), v.name), 0);
        Ptr<Image> image = DecodePath(codec, PathOf(v.name));
        ASSERT_TRUE(image) << v.name;
        EXPECT_EQ(image->GetBytesPerPixel(), v.count);
        // Exact: both read through the same libjpeg-turbo decoder.
        ExpectSame(*image, Raw(v.name, v.channels), v.count, Layout::kBottomRowFirst, 0, v.name);
    }

    // The one-byte save is a greyscale JPEG to ImageMagick too.
    Ptr<Image> grey = DecodePath(codec, PathOf("grey.jpg"));
    File saved{String(PathOf("ours.jpg").c_str())};
    ASSERT_EQ(codec.SaveImage(&saved, grey.Get()), 0);
    std::string command = "identify -format %[channels] ";
    command.append(Quoted("ours.jpg", "> ")).append(Quoted("kind"));
    ASSERT_EQ(std::system(command.c_str()), 0);
    Bytes kind = ReadBytes(PathOf("kind"));
    EXPECT_EQ(std::string(kind.begin(), kind.end()).substr(0, 4), "gray");
    Ptr<Image> again = DecodePath(codec, PathOf("ours.jpg"));
    ASSERT_TRUE(again);
    ExpectSame(*again, Raw("ours.jpg", "gray"), 1, Layout::kBottomRowFirst, 0, "our grey jpeg");
}
