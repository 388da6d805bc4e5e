#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image/Image.h"
#include "engine/render/FontParameters.h"
#include "engine/render/MSFont.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureFont.h"
#include "engine/render/TextureFont2.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "scene/SceneTestSupport.h"
#include "support/Bytes.h"
#include "support/HeadlessRenderer.h"
#include "support/LogCapture.h"

namespace
{
// A hand-written file: integer values where floats are read, a CR LF line,
// overhanging bearings, a code out of range, 'C' (67) left out, and 192,
// negative as a char.
const char* const kParameters = "ascent = 20\n"
                                "descent = -4.5\n"
                                "height = 24\n"
                                "xOffset = 2\n"
                                "yOffset = -1.5\n"
                                "numChars = 5\n"
                                "char = 65; A = -1; B = 10; C = 2; x = 2; y = 20;\r\n"
                                "char = 192; A = 1; B = 8; C = -1; x = 16; y = 20;\n"
                                "char = 300; A = 0; B = 4; C = 0; x = 0; y = 0;\n"
                                "char = 32; A = 0; B = 0; C = 0; x = 0; y = 0;\n"
                                "char = 182; A = 0; B = 0; C = 0; x = 0; y = 0;\n"
                                "anything after the last character\n";

// The file with line `line` (0-based) replaced.
std::string WithLine(uint32_t line, const std::string& text)
{
    std::string out;
    const char* at = kParameters;
    for (uint32_t i = 0; *at; ++i)
    {
        const char* end = std::strchr(at, '\n') + 1;
        out += i == line ? text + "\n" : std::string(at, end);
        at = end;
    }
    return out;
}

TEST(FontParameters, RefusesDamageAndKeepsWhatMayBeNegative)
{
    struct Case
    {
        uint32_t line;
        const char* text;
        int32_t result;
    };
    const Case cases[] = {
        {99, "", 0},
        {2, "height = -1", 1},
        {3, "xOffset = -0.5", 1},
        {5, "numChars = -1", 1},
        {0, "ascent = nan", 1},
        {1, "descent = inf", 1},
        {0, "ascent = 65537", 1},
        {0, "ascent = -65536", 0},
        {4, "yOffset", 1},
        {6, "char = 65; A = -1; B = -1; C = 2; x = 2; y = 20;", 1},
        {6, "char = 65; A = -1; B = 10; C = 2; x = -2; y = 20;", 1},
        {6, "char = 65; A = -1; B = 10; C = 2; x = 2; y = -20;", 1},
        {6, "char = 65; A = -1; B = 10; C = 2; x = 70000; y = 20;", 1},
        {6, "char = 65; A = -1; B = 10; C = 2; x = 2 y = 20;", 1},
        {5, "numChars = 40", 0}, // stops at the last line: the trailing line must not be a character
    };
    for (const Case& c : cases)
    {
        std::string text = WithLine(c.line, c.text);
        if (c.line == 5 && c.result == 0)
            text.resize(text.rfind("anything"));
        FontParameters read;
        read.ascent = 7.0f;
        EXPECT_EQ(ParseFontParameters(text.data(), static_cast<uint32_t>(text.size()), false, read), c.result)
            << c.text;
        if (c.result != 0)
        {
            EXPECT_EQ(read.ascent, 7.0f) << "a refused file changes nothing: " << c.text;
        }
    }
    // The font names a refused file; a file that cannot be opened too.
    {
        LogCapture log;
        Ptr<MSFont> font = new MSFont(String("times"));
        const std::string damaged = WithLine(2, "height = -1");
        EXPECT_EQ(font->SetParameters(damaged.data(), static_cast<uint32_t>(damaged.size())), 1);
        EXPECT_TRUE(log.Contains("Создание шрифта [times] неудачно: не загружен файл параметров."));
        EXPECT_FALSE(font->IsLoaded());
        EXPECT_EQ(font->LoadParameters(String("/nonexistent/times.txt")), 1);
        EXPECT_TRUE(log.Contains("Создание шрифта [times] неудачно: невозможно открыть файл параметров."));
        Ptr<TextureFont2> second = new TextureFont2(String("second"));
        EXPECT_EQ(second->SetParameters(String(damaged.c_str()), String("times.txt")), 1);
        EXPECT_TRUE(log.Contains("Создание шрифта [second] неудачно: не загружен файл параметров [times.txt]."));
    }
    // Cut off before numChars; the integer form reads "%d" values.
    FontParameters read;
    EXPECT_EQ(ParseFontParameters(kParameters, 40, false, read), 1);
    ASSERT_EQ(ParseFontParameters(kParameters, static_cast<uint32_t>(std::strlen(kParameters)), true, read), 0);
    EXPECT_EQ(read.descent, -4.0f);
    EXPECT_EQ(read.yOffset, -1.0f);
    EXPECT_TRUE(read.present[65] && read.present[192] && read.present[32] && read.present[182]);
    EXPECT_EQ(std::count(std::begin(read.present), std::end(read.present), true), 4);
    EXPECT_EQ(read.glyphs[192].cellWidth, 12.0f);
    EXPECT_EQ(read.glyphs[192].c, -1.0f);
}

// A font of kParameters on a 64 x 64 texture, half a text unit a line
// pixel and a quarter a character pixel.
Ptr<MSFont> MakeFont(uint32_t maxChars)
{
    Ptr<MSFont> font = new MSFont(String("times"));
    Ptr<Texture> texture = new Texture(String("glyphs"));
    EXPECT_EQ(texture->SetImage(new Image(String("glyphs"), Image::kPixel32, 64, 64)), 0);
    EXPECT_EQ(font->SetTexture(texture.Get()), 0);
    font->SetLineScale(0.5f);
    font->SetCharScale(0.25f);
    font->SetTabAdvance(8.0f);
    EXPECT_EQ(font->SetMaxChars(maxChars), 0);
    EXPECT_EQ(font->SetParameters(kParameters, static_cast<uint32_t>(std::strlen(kParameters))), 0);
    return font;
}

// The top-left corner of each quad.
std::vector<std::pair<float, float>> Corners(const Vector3Buffer& positions, uint32_t quads)
{
    std::vector<std::pair<float, float>> corners;
    for (uint32_t i = 0; i < quads; ++i)
        corners.emplace_back(positions[i * 4].x, positions[i * 4].y);
    return corners;
}

TEST(MSFontLayout, PlacesEachQuadFromTheMetrics)
{
    using Corner = std::pair<float, float>;
    struct Case
    {
        const char* text;
        std::vector<Corner> corners;
    };
    // 'A' at pen (100, 200): left 100 - 2/4 - 1/4, top 200 - 1.5/2; it
    // advances (10 + 2)/4 = 3; a line is 20/2 = 10 down; a blank 24/4/4.
    const Case cases[] = {
        {"AA", {{99.25f, 199.25f}, {102.25f, 199.25f}}},
        {"A\nA", {{99.25f, 199.25f}, {99.25f, 189.25f}}},
        {"A\r\nA", {{99.25f, 199.25f}, {99.25f, 189.25f}}}, // CR has no glyph
        {"A\n\nA", {{99.25f, 199.25f}, {99.25f, 179.25f}}},
        {"A A", {{99.25f, 199.25f}, {103.75f, 199.25f}}},
        {"A\xB6" "A", {{99.25f, 199.25f}, {104.25f, 199.25f}}},
        {"ACA", {{99.25f, 199.25f}, {102.25f, 199.25f}}},
        {"\xC0" "A", {{99.75f, 199.25f}, {101.0f, 199.25f}}},
        {"AAAAAA", {{99.25f, 199.25f}, {102.25f, 199.25f}, {105.25f, 199.25f}, {108.25f, 199.25f}}},
    };
    Ptr<MSFont> font = MakeFont(4);
    for (const Case& c : cases)
    {
        const uint32_t quads = font->LayoutText(100.0f, 200.0f, 0.5f, c.text, static_cast<uint32_t>(std::strlen(c.text)));
        EXPECT_EQ(Corners(*font->GetPositions(), quads), c.corners) << c.text;
    }
    // One whole quad: 'A' then 192, vertices clockwise from the top left.
    ASSERT_EQ(font->LayoutText(100.0f, 200.0f, 0.5f, "A\xC0", 2), 2u);
    const Vector3* p = font->GetPositions()->GetElements();
    const Vector2* t = font->GetTextureCoordinates()->GetElements();
    const float want[8][5] = {
        {99.25f, 199.25f, 0.0f, 0.0f},         {102.75f, 199.25f, 14 / 64.0f, 0.0f},
        {102.75f, 187.25f, 14 / 64.0f, 24 / 64.0f}, {99.25f, 187.25f, 0.0f, 24 / 64.0f},
        {102.75f, 199.25f, 14 / 64.0f, 0.0f},  {105.75f, 199.25f, 26 / 64.0f, 0.0f},
        {105.75f, 187.25f, 26 / 64.0f, 24 / 64.0f}, {102.75f, 187.25f, 14 / 64.0f, 24 / 64.0f},
    };
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_FLOAT_EQ(p[i].x, want[i][0]) << i;
        EXPECT_FLOAT_EQ(p[i].y, want[i][1]) << i;
        EXPECT_EQ(p[i].z, 0.5f) << i;
        EXPECT_FLOAT_EQ(t[i].x, want[i][2]) << i;
        EXPECT_FLOAT_EQ(t[i].y, want[i][3]) << i;
    }
}

TEST(MSFontLayout, TextNodesBreakAtBlanksAndRefuseWhatDoesNotFit)
{
    Ptr<MSFont> font = MakeFont(100);
    struct Case
    {
        std::string text;
        float maxWidth;
        float maxHeight;
        std::vector<uint32_t> quadsPerLine; // empty: refused
    };
    // 'A' advances 3, a blank 1.5 (charScale 0.25); lines are 10 apart and
    // the last one 12 high (lineScale 0.5).
    const Case cases[] = {
        {"AA AA AAA", 13.0f, 32.0f, {2, 2, 3}},
        {"AA AA AAA", 13.0f, 31.9f, {}},
        {"AA AA", 13.5f, 12.0f, {4}},
        {"AAAAAA", 13.0f, 22.0f, {4, 2}},
        {"A\n\nA", 100.0f, 32.0f, {1, 0, 1}},
        {std::string(300, 'A'), 1000.0f, 12.0f, {300}},
        {"A", NAN, 12.0f, {}},
    };
    for (const Case& c : cases)
    {
        Ptr<Triangles> node = font->BuildTextNode(c.text.c_str(), c.maxWidth, c.maxHeight, 0.5f, 0.25f);
        ASSERT_EQ(node.Get() != nullptr, !c.quadsPerLine.empty()) << c.text;
        if (!node)
            continue;
        std::vector<uint32_t> perLine(c.quadsPerLine.size(), 0);
        const Vector3Buffer& positions = *node->GetVertices();
        for (uint32_t i = 0; i < positions.GetCount(); i += 4)
        {
            // Tops at yOffset x lineScale below each line's top; no quad
            // starts left of the first column.
            const float line = (-0.75f - positions[i].y) / 10.0f;
            ASSERT_EQ(line, std::floor(line)) << c.text;
            ASSERT_LT(static_cast<size_t>(line), perLine.size()) << c.text;
            ++perLine[static_cast<size_t>(line)];
            EXPECT_GE(positions[i].x, -0.75f) << c.text;
            EXPECT_LE(positions[i + 1].x, c.maxWidth + 0.5f) << c.text;
        }
        EXPECT_EQ(perLine, c.quadsPerLine) << c.text;
        EXPECT_EQ(node->GetIndices()->GetCount(), positions.GetCount() / 4 * 6) << c.text;
        EXPECT_EQ(static_cast<SpriteEffect*>(node->GetEffect())->GetTexture(), font->GetTexture());
    }
}

class FontRecordTest : public SceneTest
{
};

TEST_F(FontRecordTest, RecordsRoundTripAndRefuseDamage)
{
    Ptr<MSFont> ms = MakeFont(1234);
    ASSERT_EQ(ms->SetTexture(new Texture(String("glyphs"))), 0);
    ms->SetColour(Vector4(0.875f, 0.9375f, 1.0f, 0.5f));
    Ptr<TextureFont> grid = new TextureFont(String("grid"));
    ASSERT_EQ(grid->SetTexture(new Texture(String("cells"))), 0);
    Ptr<TextureFont2> second = new TextureFont2(String("second"));
    ASSERT_EQ(second->SetParameters(String(kParameters), String("times.txt")), 0);
    ASSERT_EQ(second->SetTexture(new Texture(String("sheet"))), 0);
    Ptr<SpriteEffect> sprite = new SpriteEffect(String("sprite"));
    sprite->SetBlend(true, BlendFactor::One, BlendFactor::One);
    ASSERT_EQ(sprite->SetTexture(new Texture(String("dot"))), 0);
    for (Object* object : std::initializer_list<Object*>{ms.Get(), grid.Get(), second.Get(), sprite.Get()})
    {
        const Bytes saved = Serialize(object);
        Ptr<Object> loaded = Deserialize(saved);
        ASSERT_TRUE(loaded && loaded->IsExactly(object->GetRtti())) << object->GetName().CStr();
        EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), CanonicalLinks(saved)) << object->GetName().CStr();
    }
    EXPECT_TRUE(static_cast<MSFont*>(Deserialize(Serialize(ms.Get())).Get())->IsLoaded());

    // A capacity or a metric no font has, and a parameter text that would
    // be refused from a file.
    Bytes capacity = Serialize(ms.Get());
    ASSERT_TRUE(Patch(capacity, 1234, 0x7FFFFFFF));
    Bytes metric = Serialize(ms.Get());
    ASSERT_TRUE(Patch(metric, 0x41A00000 /* ascent 20 */, 0x7FC00000));
    Bytes text = Serialize(second.Get());
    const std::string height = "height = 24";
    auto at = std::search(text.begin(), text.end(), height.begin(), height.end());
    ASSERT_NE(at, text.end());
    *(at + 9) = '-';
    for (const Bytes* damaged : {&capacity, &metric, &text})
        EXPECT_FALSE(Deserialize(*damaged));
}

// DrawText formats into maxChars bytes at most, draws only the quads laid
// out, through the font camera, and gives the scene its camera back.
TEST_F(FontRecordTest, DrawTextCutsAtMaxCharsAndRestoresTheCamera)
{
    Ptr<MSFont> font = MakeFont(4);
    Ptr<Camera> scene = new Camera(String("scene"));
    GetRenderer()->SetCamera(scene.Get());
    const std::string text(300, 'A');
    ASSERT_EQ(font->DrawText(0.0f, 0.0f, 0.0f, "%s%d", text.c_str(), 7), 0);
    EXPECT_EQ(font->GetSprite()->GetOwner()->GetIndices()->GetCount(), 24u);
    EXPECT_EQ(GetRenderer()->GetCamera(), scene.Get());
    ASSERT_EQ(font->DrawText(0.0f, 0.0f, 0.0f, "A%cA", 'C'), 0);
    EXPECT_EQ(font->GetSprite()->GetOwner()->GetIndices()->GetCount(), 12u);

    // The grid font's cells: code = row x 16 + column, row 0 at the top.
    Ptr<TextureFont> grid = new TextureFont(String("grid"));
    ASSERT_EQ(grid->SetTexture(new Texture(String("cells"))), 0);
    ASSERT_EQ(grid->LayoutText(0.0f, 0.0f, 0.0f, "A \xFF", 3), 2u);
    const Vector2* t = grid->GetTextureCoordinates()->GetElements();
    EXPECT_EQ(t[0], Vector2(1 / 16.0f, 4 / 16.0f));
    EXPECT_EQ(t[2], Vector2(2 / 16.0f, 5 / 16.0f));
    EXPECT_EQ(t[6], Vector2(1.0f, 1.0f));
    EXPECT_EQ(grid->GetPositions()->GetElements()[4].x, 2.0f * TextureFont::kCellSize * grid->GetCharScale());
}

class FontPixelTest : public HeadlessRendererTest
{
};

// 640 x 480 makes a text unit one pixel. Glyph 192 is the opaque white
// right half of the top row of a 16 x 16 texture, drawn 4 times over:
// a 32 x 32 white square with its top-left corner at (100, 300) in text
// units, pixel row 480 - 300 = 180.
TEST_F(FontPixelTest, AGlyphAboveTheAsciiRangeLandsOnItsRectangle)
{
    if (!Opened())
        return;
    Ptr<Image> image = new Image(String("cells"), Image::kPixel32, 16, 16);
    auto* bytes = static_cast<uint8_t*>(image->GetData());
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            std::memset(bytes + (y * 16 + x) * 4, y < 8 && x >= 8 ? 0xFF : 0x00, 4);
    Ptr<Texture> texture = new Texture(String("cells"));
    ASSERT_EQ(texture->SetImage(image.Get()), 0);
    Ptr<MSFont> font = new MSFont(String("pixels"));
    const char* parameters = "ascent = 8\ndescent = 0\nheight = 8\nxOffset = 0\nyOffset = 0\nnumChars = 1\n"
                             "char = 192; A = 0; B = 8; C = 0; x = 8; y = 8;\n";
    ASSERT_EQ(font->SetParameters(parameters, static_cast<uint32_t>(std::strlen(parameters))), 0);
    ASSERT_EQ(font->SetTexture(texture.Get()), 0);
    font->SetLineScale(4.0f);
    font->SetCharScale(4.0f);
    Begin();
    ASSERT_EQ(font->DrawText(100.0f, 300.0f, 0.0f, "%s", "\xC0"), 0);
    End();
    const Rgb white{255, 255, 255};
    const Rgb black{0, 0, 0};
    // A texel inside each edge is white, two pixels outside is black.
    for (int x : {104, 116, 127})
        for (int y : {184, 196, 207})
            ExpectNear(At(x, y), white, 2, "inside " + std::to_string(x) + "," + std::to_string(y));
    for (const auto& [x, y] : {std::pair{97, 196}, std::pair{134, 196}, std::pair{116, 177}, std::pair{116, 214}})
        ExpectNear(At(x, y), black, 2, "outside " + std::to_string(x) + "," + std::to_string(y));
}
} // namespace
