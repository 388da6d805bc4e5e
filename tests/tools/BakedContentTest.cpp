// The font and the overlay pictures tools/bake made, read from the archives
// the build packed, as the show reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/image/Image.h"
#include "engine/render/MSFont.h"
#include "engine/render/Texture.h"
#include "engine/scene/Vector2Buffer.h"

namespace
{

class BakedContent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterEngineClasses();
        ASSERT_EQ(InitializeEngine(), 0);
        for (const char* name : {"RAR2FileCodec", "TGAImageCodec", "JPGImageCodec"})
        {
            Codec* codec = nullptr;
            ASSERT_EQ(CodecManager::GetCodec(String(name), &codec), 0) << name;
        }
        for (File& archive : archives)
            ASSERT_EQ(FileManager::AttachArchive(&archive, String()), 0) << archive.GetPath().CStr();
    }
    void TearDown() override { TerminateEngine(); }

    // The picture of that name in the mounted archives; null when absent.
    static Ptr<Image> Load(const char* name)
    {
        File* file = FileManager::FindFile(String(name));
        Ptr<Image> image = file ? new Image(file, String()) : nullptr;
        return image && image->GetData() ? image : nullptr;
    }

    File archives[2] = {File(String(VERNALIA_GENERATED_DIR "/archives/Ms.rar2")),
                        File(String(VERNALIA_GENERATED_DIR "/archives/CustomData.rar2"))};
};

// Windows-1251 has a glyph for these codes.
bool Printable(uint32_t code)
{
    return (code >= 32 && code <= 126) || (code >= 128 && code != 0x98);
}

// Every printable code is in the file, and the rectangle the layout takes
// for each glyph is its cell exactly: the cells do not overlap and hold all
// the ink, each has its padding columns and its top and bottom rows clear,
// and its ink spans B columns between them.
TEST_F(BakedContent, EveryGlyphsRectangleIsItsBakedCell)
{
    const Ptr<Image> picture = Load("times.tga");
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->GetFormat(), Image::kPixel32);
    Ptr<Texture> texture = new Texture(String("times.tga"));
    ASSERT_EQ(texture->SetImage(picture.Get()), 0);
    Ptr<MSFont> font = new MSFont(String("times"));
    ASSERT_EQ(font->SetTexture(texture.Get()), 0);
    ASSERT_EQ(font->SetMaxChars(256), 0);
    ASSERT_EQ(font->LoadParameters(String("times.txt")), 0);
    const FontParameters& metrics = font->GetParameters();
    EXPECT_EQ(metrics.height, 64.0f);
    EXPECT_EQ(metrics.yOffset, 0.0f);
    EXPECT_GE(metrics.ascent, metrics.height); // lines never overlap
    std::string text;
    for (uint32_t code = 0; code < 256; ++code)
    {
        EXPECT_EQ(metrics.present[code], Printable(code)) << code;
        if (Printable(code) && code != 32 && code != 182)
            text += static_cast<char>(code);
    }
    const uint32_t quads = font->LayoutText(0.0f, 0.0f, 0.0f, text.data(), static_cast<uint32_t>(text.size()));
    ASSERT_EQ(quads, text.size());

    const auto width = static_cast<int32_t>(picture->GetWidth());
    const auto height = static_cast<int32_t>(picture->GetHeight());
    const uint8_t* pixels = picture->GetData();
    auto alpha = [&](int32_t x, int32_t y) { return pixels[(static_cast<size_t>(y) * width + x) * 4 + 3]; };
    std::vector<int32_t> owner(static_cast<size_t>(width) * height, -1);
    const auto pad = static_cast<int32_t>(metrics.xOffset);
    const Vector2* coordinates = font->GetTextureCoordinates()->GetElements();
    for (uint32_t i = 0; i < quads; ++i)
    {
        const auto code = static_cast<uint8_t>(text[i]);
        SCOPED_TRACE("code " + std::to_string(code));
        const float left = coordinates[i * 4].x * static_cast<float>(width);
        const float top = coordinates[i * 4].y * static_cast<float>(height);
        const float right = coordinates[i * 4 + 2].x * static_cast<float>(width);
        const float bottom = coordinates[i * 4 + 2].y * static_cast<float>(height);
        const auto l = static_cast<int32_t>(std::lround(left));
        const auto t = static_cast<int32_t>(std::lround(top));
        const auto r = static_cast<int32_t>(std::lround(right));
        const auto b = static_cast<int32_t>(std::lround(bottom));
        ASSERT_TRUE(left == static_cast<float>(l) && top == static_cast<float>(t) && right == static_cast<float>(r) &&
                    bottom == static_cast<float>(b));
        ASSERT_TRUE(l >= 0 && t >= 0 && r <= width && b <= height && b - t == 64);
        ASSERT_EQ(r - l, static_cast<int32_t>(metrics.glyphs[code].b) + 2 * pad);
        bool inkLeft = false;
        bool inkRight = false;
        for (int32_t y = t; y < b; ++y)
            for (int32_t x = l; x < r; ++x)
            {
                int32_t& cell = owner[static_cast<size_t>(y) * width + x];
                ASSERT_EQ(cell, -1) << "overlaps code " << cell << " at " << x << ", " << y;
                cell = code;
                const bool margin = x < l + pad || x >= r - pad || y == t || y == b - 1;
                ASSERT_FALSE(margin && alpha(x, y) != 0) << "ink in the margin at " << x << ", " << y;
                inkLeft = inkLeft || (x == l + pad && alpha(x, y) != 0);
                inkRight = inkRight || (x == r - pad - 1 && alpha(x, y) != 0);
            }
        EXPECT_TRUE(metrics.glyphs[code].b == 0 || (inkLeft && inkRight)) << "the ink is not B wide";
    }
    // The tab advance's glyph is baked but never drawn.
    const FontGlyph& tab = metrics.glyphs[182];
    for (auto y = static_cast<int32_t>(tab.y - metrics.ascent); y < tab.y - metrics.ascent + metrics.height; ++y)
        for (auto x = static_cast<int32_t>(tab.x) - pad; x < tab.x + tab.b + metrics.xOffset; ++x)
            owner[static_cast<size_t>(y) * width + x] = 182;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
        {
            const uint8_t* pixel = pixels + (static_cast<size_t>(y) * width + x) * 4;
            ASSERT_TRUE(pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255) << "not white at " << x << ", " << y;
            ASSERT_FALSE(alpha(x, y) != 0 && owner[static_cast<size_t>(y) * width + x] < 0)
                << "ink outside every cell at " << x << ", " << y;
        }
}

// The overlay pictures at their sizes, each the way up the overlay shows
// it (row 0 at the top of the screen): the card's sky above its meadow, each
// ornament's corner bloom in its own corner. The Targa pictures have red
// equal to blue, which the loader's byte order cannot disturb, and a clear
// border, so clamped sampling draws no streaks.
TEST_F(BakedContent, OverlayPicturesHaveTheirSizesAndTheirWayUp)
{
    struct Case
    {
        std::string name;
        uint32_t width;
        uint32_t height;
        int32_t bloomX; // an opaque pixel, -1 none
        int32_t bloomY;
    };
    std::vector<Case> cases = {
        {"4loader_lu.tga", 128, 128, 20, 20},
        {"4loader_ru.tga", 128, 128, 107, 20},
        {"4loader_ld.tga", 128, 128, 20, 107},
        {"4loader_rd.tga", 128, 128, 107, 107},
    };
    for (const char* sign : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "dot", "ddot", "a", "p", "m"})
        cases.push_back({std::string("digit_") + sign + ".tga", 64, 128, -1, -1});
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Ptr<Image> image = Load(c.name.c_str());
        ASSERT_TRUE(image);
        ASSERT_TRUE(image->GetWidth() == c.width && image->GetHeight() == c.height &&
                    image->GetFormat() == Image::kPixel32);
        const uint8_t* pixels = image->GetData();
        uint8_t most = 0;
        for (uint32_t y = 0; y < c.height; ++y)
            for (uint32_t x = 0; x < c.width; ++x)
            {
                const uint8_t* pixel = pixels + (y * c.width + x) * 4;
                ASSERT_EQ(pixel[0], pixel[2]) << x << ", " << y;
                most = std::max(most, pixel[3]);
                const bool border = x == 0 || y == 0 || x == c.width - 1 || y == c.height - 1;
                ASSERT_FALSE(c.bloomX < 0 && border && pixel[3] != 0) << x << ", " << y;
            }
        EXPECT_EQ(most, 255);
        if (c.bloomX >= 0)
        {
            const auto at = [&](int32_t x, int32_t y) { return pixels[(y * c.width + x) * 4 + 3]; };
            EXPECT_EQ(at(c.bloomX, c.bloomY), 255);
            EXPECT_EQ(at(127 - c.bloomX, 127 - c.bloomY), 0);
        }
    }

    const Ptr<Image> card = Load("loader.jpg");
    ASSERT_TRUE(card);
    ASSERT_TRUE(card->GetWidth() == 800 && card->GetHeight() == 600 && card->GetFormat() == Image::kPixel24);
    // Summed green minus blue: the sky's is below zero, the meadow's above.
    auto greenOverBlue = [&](uint32_t row) {
        int64_t sum = 0;
        for (uint32_t x = 0; x < 800; ++x)
            sum += card->GetData()[(row * 800 + x) * 3 + 1] - card->GetData()[(row * 800 + x) * 3 + 2];
        return sum;
    };
    EXPECT_LT(greenOverBlue(0), 0);
    EXPECT_GT(greenOverBlue(599), 0);
}

} // namespace
