#include "tools/bake/Overlays.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "engine/core/MathUtil.h"
#include "tools/bake/Canvas.h"
#include "tools/bake/Typeface.h"

namespace
{

// For the ornament's angles.
constexpr float kPi = 3.14159265f;

// Linear red, green, blue, 0..1 each; stored as bytes only at the end.
struct Colour
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// a at t = 0, b at t = 1.
Colour Mix(const Colour& a, const Colour& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// 0 below edge0, 1 above edge1, a smooth ramp between: soft transitions.
float Smoothstep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Coverage of a shape at a pixel from its signed distance in pixels.
float Cover(float distance)
{
    return std::clamp(0.5f - distance, 0.0f, 1.0f);
}

// Value noise in -1..1 over a lattice of the given cell size in pixels.
float Noise(float x, float y, float cell, int32_t seed)
{
    const float fx = x / cell;
    const float fy = y / cell;
    const auto x0 = static_cast<int32_t>(std::floor(fx));
    const auto y0 = static_cast<int32_t>(std::floor(fy));
    const float top = CosineInterpolate(IntNoise(x0, y0, seed), IntNoise(x0 + 1, y0, seed), fx - std::floor(fx));
    const float bottom =
        CosineInterpolate(IntNoise(x0, y0 + 1, seed), IntNoise(x0 + 1, y0 + 1, seed), fx - std::floor(fx));
    return CosineInterpolate(top, bottom, fy - std::floor(fy));
}

// A straight-alpha RGBA accumulator: layers go over what is there.
struct Pixel
{
    Colour colour;
    float alpha = 0.0f;

    void Over(const Colour& c, float a)
    {
        const float kept = alpha * (1.0f - a);
        const float total = a + kept;
        if (total > 0.0f)
            colour = Mix(colour, c, a / total);
        alpha = total;
    }
};

// Writes the accumulated pixel as rounded bytes.
void Store(Canvas& canvas, uint32_t x, uint32_t y, const Pixel& pixel)
{
    uint8_t* out = canvas.At(x, y);
    const float values[4] = {pixel.colour.r, pixel.colour.g, pixel.colour.b, pixel.alpha};
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(std::lround(std::clamp(values[i], 0.0f, 1.0f) * 255.0f));
}

// A coverage mask the size of a picture, 0..1 per pixel.
struct Mask
{
    std::unique_ptr<float[]> values;
    uint32_t width = 0;
    uint32_t height = 0;

    int32_t Create(uint32_t w, uint32_t h)
    {
        values.reset(new (std::nothrow) float[static_cast<size_t>(w) * h]());
        width = w;
        height = h;
        return values ? 0 : 2;
    }
    float& At(uint32_t x, uint32_t y) { return values[static_cast<size_t>(y) * width + x]; }
    float Get(int32_t x, int32_t y) const
    {
        if (x < 0 || y < 0 || x >= static_cast<int32_t>(width) || y >= static_cast<int32_t>(height))
            return 0.0f;
        return values[static_cast<size_t>(y) * width + static_cast<uint32_t>(x)];
    }

    // Two box passes of the radius each way, close to a Gaussian.
    int32_t Blur(int32_t radius)
    {
        Mask scratch;
        if (scratch.Create(width, height) != 0)
            return 2;
        const float scale = 1.0f / static_cast<float>(2 * radius + 1);
        for (int pass = 0; pass < 2; ++pass)
        {
            for (uint32_t y = 0; y < height; ++y)
                for (uint32_t x = 0; x < width; ++x)
                {
                    float sum = 0.0f;
                    for (int32_t d = -radius; d <= radius; ++d)
                        sum += Get(static_cast<int32_t>(x) + d, static_cast<int32_t>(y));
                    scratch.At(x, y) = sum * scale;
                }
            for (uint32_t y = 0; y < height; ++y)
                for (uint32_t x = 0; x < width; ++x)
                {
                    float sum = 0.0f;
                    for (int32_t d = -radius; d <= radius; ++d)
                        sum += scratch.Get(static_cast<int32_t>(x), static_cast<int32_t>(y) + d);
                    At(x, y) = sum * scale;
                }
        }
        return 0;
    }
};

// Sets ASCII text into mask with its baseline at row baseline, centred on
// column centre. 0; 1 a glyph is missing.
int32_t SetText(Typeface& typeface, const char* text, float centre, int32_t baseline, Mask& mask)
{
    int32_t width = 0;
    GlyphBitmap glyph;
    for (const char* c = text; *c; ++c)
    {
        if (typeface.Render(static_cast<unsigned char>(*c), glyph) != 0)
            return 1;
        width += glyph.advance;
    }
    int32_t pen = static_cast<int32_t>(std::lround(centre - static_cast<float>(width) * 0.5f));
    for (const char* c = text; *c; ++c)
    {
        typeface.Render(static_cast<unsigned char>(*c), glyph);
        for (uint32_t y = 0; y < glyph.rows; ++y)
            for (uint32_t x = 0; x < glyph.width; ++x)
            {
                const int32_t px = pen + glyph.left + static_cast<int32_t>(x);
                const int32_t py = baseline - glyph.top + static_cast<int32_t>(y);
                if (px >= 0 && py >= 0 && px < static_cast<int32_t>(mask.width) && py < static_cast<int32_t>(mask.height))
                    mask.At(static_cast<uint32_t>(px), static_cast<uint32_t>(py)) =
                        std::max(mask.At(static_cast<uint32_t>(px), static_cast<uint32_t>(py)), glyph.At(x, y) / 255.0f);
            }
        pen += glyph.advance;
    }
    return 0;
}

// The output file name in the folder.
std::string PathIn(const char* folder, const char* name)
{
    return std::string(folder) + "/" + name;
}

// The title card --------------------------------------------------------------------------

// The card's size: 4:3, stretched over the whole screen by the overlay.
constexpr uint32_t kCardWidth = 800;
constexpr uint32_t kCardHeight = 600;

// The card's background at pixel (x, y), row 0 at the top.
Colour Landscape(float x, float y)
{
    const float w = static_cast<float>(kCardWidth);
    const float h = static_cast<float>(kCardHeight);
    // Far hills roll along the horizon; the meadow rises towards them.
    const float horizon = h * 0.60f + 14.0f * Noise(x, 0.0f, 160.0f, 41) + 6.0f * Noise(x, 0.0f, 50.0f, 42);
    const float meadowTop = h * 0.66f + 22.0f * Noise(x, 0.0f, 260.0f, 43);
    if (y < horizon)
    {
        const float t = std::clamp(y / horizon, 0.0f, 1.0f);
        Colour sky = Mix(Colour{0.30f, 0.52f, 0.84f}, Colour{0.72f, 0.83f, 0.95f}, Smoothstep(0.0f, 0.75f, t));
        sky = Mix(sky, Colour{1.0f, 0.86f, 0.72f}, Smoothstep(0.55f, 1.0f, t));
        // The sun low on the right, and its glow.
        const float dx = x - w * 0.84f;
        const float dy = y - h * 0.565f;
        const float distance = std::sqrt(dx * dx + dy * dy);
        sky = Mix(sky, Colour{1.0f, 0.93f, 0.78f}, 0.75f * std::exp(-distance * distance / (2.0f * 110.0f * 110.0f)));
        sky = Mix(sky, Colour{1.0f, 0.99f, 0.94f}, Cover(distance - 26.0f));
        // Thin clouds, stretched along the horizon.
        const float cloud = Noise(x, y * 4.0f, 120.0f, 44) * 0.6f + Noise(x, y * 4.0f, 40.0f, 45) * 0.4f;
        sky = Mix(sky, Colour{1.0f, 0.97f, 0.95f}, 0.55f * Smoothstep(0.15f, 0.6f, cloud) * (1.0f - t * 0.5f));
        return sky;
    }
    if (y < meadowTop)
    {
        const float haze = Smoothstep(horizon, meadowTop, y);
        const Colour hills = Mix(Colour{0.58f, 0.70f, 0.62f}, Colour{0.44f, 0.62f, 0.40f}, haze);
        return Mix(hills, Colour{0.66f, 0.76f, 0.70f}, 0.25f * (1.0f - haze));
    }
    const float depth = Smoothstep(meadowTop, h, y);
    Colour grass = Mix(Colour{0.52f, 0.74f, 0.30f}, Colour{0.22f, 0.46f, 0.14f}, depth);
    const float blades = Noise(x * 6.0f, y, 12.0f + 30.0f * depth, 46);
    grass = Mix(grass, Colour{0.70f, 0.86f, 0.40f}, 0.18f * std::max(blades, 0.0f));
    // Scattered blossoms on a fixed lattice, larger nearer the viewer.
    constexpr float kCell = 16.0f;
    const auto ix = static_cast<int32_t>(std::floor(x / kCell));
    const auto iy = static_cast<int32_t>(std::floor(y / kCell));
    if (IntNoise(ix, iy, 47) > 0.3f)
    {
        const float fx = (static_cast<float>(ix) + 0.5f + 0.25f * IntNoise(ix, iy, 48)) * kCell;
        const float fy = (static_cast<float>(iy) + 0.5f + 0.25f * IntNoise(ix, iy, 49)) * kCell;
        const float radius = 0.8f + 2.2f * depth;
        const float d = std::sqrt((x - fx) * (x - fx) + (y - fy) * (y - fy)) - radius;
        const Colour colours[3] = {{1.0f, 0.96f, 0.90f}, {0.96f, 0.62f, 0.78f}, {1.0f, 0.86f, 0.30f}};
        grass = Mix(grass, colours[static_cast<uint32_t>(IntNoise(ix, iy, 50) * 1.49f + 1.5f) % 3], Cover(d));
    }
    return grass;
}

// loader.jpg: the landscape with the title and a soft shadow under it.
int32_t BakeCard(Typeface& typeface, const char* folder)
{
    Canvas canvas;
    Mask title;
    Mask shadow;
    if (canvas.Create(kCardWidth, kCardHeight) != 0 || title.Create(kCardWidth, kCardHeight) != 0)
        return 2;
    if (typeface.SetPixelSize(132) != 0 || SetText(typeface, "Vernalia", kCardWidth * 0.5f, 236, title) != 0 ||
        typeface.SetPixelSize(38) != 0 || SetText(typeface, "Spring comes to the meadow", kCardWidth * 0.5f, 296, title) != 0)
    {
        std::fprintf(stderr, "bake: the title cannot be set in the font\n");
        return 1;
    }
    if (shadow.Create(kCardWidth, kCardHeight) != 0)
        return 2;
    std::memcpy(shadow.values.get(), title.values.get(), sizeof(float) * kCardWidth * kCardHeight);
    if (shadow.Blur(5) != 0)
        return 2;
    for (uint32_t y = 0; y < kCardHeight; ++y)
        for (uint32_t x = 0; x < kCardWidth; ++x)
        {
            Pixel pixel;
            pixel.Over(Landscape(static_cast<float>(x), static_cast<float>(y)), 1.0f);
            pixel.Over(Colour{0.10f, 0.16f, 0.32f}, 0.55f * shadow.Get(static_cast<int32_t>(x) - 3, static_cast<int32_t>(y) - 4));
            pixel.Over(Colour{1.0f, 0.99f, 0.96f}, title.At(x, y));
            Store(canvas, x, y, pixel);
        }
    return canvas.SaveJpeg(PathIn(folder, "loader.jpg").c_str());
}

// The corners ------------------------------------------------------------------------------

// The corner pictures are drawn at their own pixel size on any screen.
constexpr uint32_t kCornerSide = 128;

// The ornament at (x, y) pixels from the corner it hugs, symmetric about
// the diagonal: a waving vine round the corner with leaves, a bloom at
// the corner and at the vine's middle, buds on an inner tendril. Red equals
// blue in every colour, which the engine's Targa loader keeps as it is.
Pixel Ornament(float x, float y)
{
    const Colour vine{0.24f, 0.46f, 0.24f};
    const Colour leaf{0.38f, 0.66f, 0.38f};
    const Colour petal{0.92f, 0.56f, 0.92f};
    const Colour heart{1.0f, 0.97f, 1.0f};
    const Colour rim{0.46f, 0.20f, 0.46f};
    const float radius = std::sqrt(x * x + y * y);
    const float angle = std::atan2(y, x); // 0 along the edge, pi / 2 along the other
    Pixel pixel;
    // A soft shadow under the whole ornament, so it reads on light ground.
    const float wave = 92.0f + 4.0f * std::sin(angle * 6.0f);
    float shade = Cover(std::fabs(radius - wave) - 6.0f) * 0.5f;

    float stem = Cover(std::fabs(radius - wave) - 1.8f);
    stem = std::max(stem, Cover(std::fabs(radius - 60.0f) - 1.1f) * Smoothstep(0.12f, 0.2f, angle) *
                              Smoothstep(0.12f, 0.2f, kPi * 0.5f - angle));
    // Leaves in pairs either side of the vine.
    Pixel leaves;
    for (const float at : {0.20f, 0.50f, 1.07f, 1.37f})
    {
        for (const float side : {-1.0f, 1.0f})
        {
            const float r = 92.0f + 4.0f * std::sin(at * 6.0f) + side * 7.0f;
            const float cx = r * std::cos(at);
            const float cy = r * std::sin(at);
            const float turn = at + kPi * 0.5f + side * 0.6f;
            const float dx = x - cx;
            const float dy = y - cy;
            const float u = dx * std::cos(turn) + dy * std::sin(turn);
            const float v = -dx * std::sin(turn) + dy * std::cos(turn);
            const float d = (std::sqrt((u / 12.0f) * (u / 12.0f) + (v / 4.6f) * (v / 4.6f)) - 1.0f) * 4.6f;
            shade = std::max(shade, Cover(d - 3.0f) * 0.5f);
            leaves.Over(Mix(leaf, vine, Cover(std::fabs(v) - 0.4f) * 0.7f), Cover(d));
        }
    }
    pixel.Over(Colour{0.0f, 0.0f, 0.0f}, shade * 0.35f);
    pixel.Over(vine, stem);
    pixel.Over(leaves.colour, leaves.alpha);
    // Five-petalled flowers: the corner bloom, the vine's bloom, two buds.
    const struct
    {
        float cx, cy, size, turn;
    } flowers[] = {
        {20.0f, 20.0f, 17.0f, 0.3f},
        {92.0f * 0.7071f + 2.8f, 92.0f * 0.7071f + 2.8f, 15.0f, 0.0f},
        {60.0f * 0.9397f, 60.0f * 0.3420f, 8.0f, 0.5f},
        {60.0f * 0.3420f, 60.0f * 0.9397f, 8.0f, 0.9f},
    };
    for (const auto& flower : flowers)
    {
        const float dx = x - flower.cx;
        const float dy = y - flower.cy;
        const float r = std::sqrt(dx * dx + dy * dy);
        const float phi = std::atan2(dy, dx) + flower.turn;
        const float edge = flower.size * (0.55f + 0.45f * std::fabs(std::cos(phi * 2.5f)));
        const float inside = Cover(r - edge);
        pixel.Over(Colour{0.0f, 0.0f, 0.0f}, Cover(r - edge - 2.5f) * 0.2f);
        pixel.Over(Mix(rim, petal, Smoothstep(0.6f, 2.2f, edge - r)), inside);
        pixel.Over(Mix(petal, heart, 0.6f), inside * (1.0f - Smoothstep(0.0f, edge * 0.8f, r)));
        pixel.Over(heart, Cover(r - flower.size * 0.22f));
        pixel.Over(Colour{0.80f, 0.62f, 0.80f}, Cover(std::fabs(r - flower.size * 0.22f) - 0.4f));
    }
    return pixel;
}

// The four corner pictures: one ornament mirrored into each corner.
int32_t BakeCorners(const char* folder)
{
    // Each picture's corner, as the column and row the ornament hugs.
    const struct
    {
        const char* name;
        bool right;
        bool bottom;
    } corners[] = {
        {"4loader_ld.tga", false, true},
        {"4loader_rd.tga", true, true},
        {"4loader_lu.tga", false, false},
        {"4loader_ru.tga", true, false},
    };
    for (const auto& corner : corners)
    {
        Canvas canvas;
        if (canvas.Create(kCornerSide, kCornerSide) != 0)
            return 2;
        for (uint32_t y = 0; y < kCornerSide; ++y)
            for (uint32_t x = 0; x < kCornerSide; ++x)
            {
                const uint32_t fromSide = corner.right ? kCornerSide - 1 - x : x;
                const uint32_t fromEdge = corner.bottom ? kCornerSide - 1 - y : y;
                Store(canvas, x, y, Ornament(static_cast<float>(fromSide) + 0.5f, static_cast<float>(fromEdge) + 0.5f));
            }
        if (canvas.SaveTarga(PathIn(folder, corner.name).c_str()) != 0)
            return 1;
    }
    return 0;
}

// The clock's characters -------------------------------------------------------------------

// A clock picture: powers of two, 1:2 like the clock's character box.
constexpr uint32_t kDigitWidth = 64;
constexpr uint32_t kDigitHeight = 128;
constexpr uint32_t kDigitSize = 110;   // pixels per em
constexpr int32_t kDigitBaseline = 98; // rows from the top
constexpr uint32_t kDigitMargin = 7;   // columns kept clear for the halo
// The clock draws a picture 0.0375 of the screen's width by 0.075 of its
// height, which widens a 64 x 128 picture by 1.33 on a 4:3 screen and 1.78
// on a 16:9 one: the glyphs are set this much narrower, so that they keep
// their shape on the screens between.
constexpr float kCondense = 0.64f;

// One clock picture: the character's glyph, narrowed, softened, on its halo.
int32_t BakeDigit(Typeface& typeface, char character, const char* path)
{
    GlyphBitmap glyph;
    if (typeface.SetPixelSize(kDigitSize) != 0 || typeface.Render(static_cast<unsigned char>(character), glyph) != 0 ||
        glyph.width == 0)
        return 1;
    Mask ink;
    Mask halo;
    Mask soft;
    if (ink.Create(kDigitWidth, kDigitHeight) != 0 || halo.Create(kDigitWidth, kDigitHeight) != 0 ||
        soft.Create(kDigitWidth, kDigitHeight) != 0)
        return 2;
    // Each column of the picture averages the glyph's columns it covers
    // (area sampling, so the narrowing neither thins nor aliases a stem); a
    // glyph still too wide for the margins (none at this size) is narrowed
    // further.
    const float wide = static_cast<float>(glyph.width) * kCondense;
    const float most = static_cast<float>(kDigitWidth - 2 * kDigitMargin);
    const auto width = static_cast<uint32_t>(std::ceil(std::min(wide, most)));
    const float step = static_cast<float>(glyph.width) / std::min(wide, most);
    const uint32_t left = (kDigitWidth - width) / 2;
    for (uint32_t y = 0; y < glyph.rows; ++y)
    {
        const int32_t py = kDigitBaseline - glyph.top + static_cast<int32_t>(y);
        if (py < 0 || py >= static_cast<int32_t>(kDigitHeight))
            continue;
        for (uint32_t x = 0; x < width; ++x)
        {
            const float from = static_cast<float>(x) * step;
            const float to = std::min(from + step, static_cast<float>(glyph.width));
            float sum = 0.0f;
            for (auto column = static_cast<uint32_t>(from); static_cast<float>(column) < to; ++column)
            {
                const float overlap = std::min(to, static_cast<float>(column + 1)) -
                                      std::max(from, static_cast<float>(column));
                sum += overlap * static_cast<float>(glyph.At(column, y));
            }
            ink.At(left + x, static_cast<uint32_t>(py)) = sum / (step * 255.0f);
        }
    }
    const size_t bytes = sizeof(float) * kDigitWidth * kDigitHeight;
    std::memcpy(halo.values.get(), ink.values.get(), bytes);
    std::memcpy(soft.values.get(), ink.values.get(), bytes);
    if (halo.Blur(3) != 0 || soft.Blur(1) != 0)
        return 2;
    Canvas canvas;
    if (canvas.Create(kDigitWidth, kDigitHeight) != 0)
        return 2;
    for (uint32_t y = 0; y < kDigitHeight; ++y)
        for (uint32_t x = 0; x < kDigitWidth; ++x)
        {
            Pixel pixel;
            pixel.Over(Colour{0.06f, 0.06f, 0.06f}, std::min(1.0f, halo.At(x, y) * 2.2f) * 0.45f);
            pixel.Over(Colour{1.0f, 1.0f, 1.0f}, std::min(1.0f, 0.7f * ink.At(x, y) + 0.9f * soft.At(x, y)));
            Store(canvas, x, y, pixel);
        }
    return canvas.SaveTarga(path);
}

// The fifteen clock pictures under the names the overlay loads.
int32_t BakeDigits(Typeface& typeface, const char* folder)
{
    const struct
    {
        char character;
        const char* name;
    } digits[] = {
        {'0', "digit_0.tga"},   {'1', "digit_1.tga"},    {'2', "digit_2.tga"}, {'3', "digit_3.tga"},
        {'4', "digit_4.tga"},   {'5', "digit_5.tga"},    {'6', "digit_6.tga"}, {'7', "digit_7.tga"},
        {'8', "digit_8.tga"},   {'9', "digit_9.tga"},    {'.', "digit_dot.tga"}, {':', "digit_ddot.tga"},
        {'a', "digit_a.tga"},   {'p', "digit_p.tga"},    {'m', "digit_m.tga"},
    };
    for (const auto& digit : digits)
    {
        const int32_t result = BakeDigit(typeface, digit.character, PathIn(folder, digit.name).c_str());
        if (result != 0)
        {
            std::fprintf(stderr, "bake: %s not made\n", digit.name);
            return result;
        }
    }
    return 0;
}

} // namespace

// The message panel ------------------------------------------------------------------------

// Stretched as nine pieces whose corners are a quarter of the picture each.
constexpr uint32_t kPanelSide = 128;

// The message window's background: dark, translucent sage with a faint
// grain, so the light text reads over any sky, inside a rounded light rim
// that fades out towards the picture's edge. Red equals blue throughout.
Pixel PanelAt(float x, float y)
{
    const float half = kPanelSide * 0.5f;
    const float corner = 22.0f;
    // Signed distance to a rounded square 6 pixels inside the edge.
    const float qx = std::fabs(x - half) - (half - 6.0f - corner);
    const float qy = std::fabs(y - half) - (half - 6.0f - corner);
    const float outside = std::sqrt(std::max(qx, 0.0f) * std::max(qx, 0.0f) + std::max(qy, 0.0f) * std::max(qy, 0.0f));
    const float distance = outside + std::min(std::max(qx, qy), 0.0f) - corner;
    const float grain = 0.03f * Noise(x, y, 5.0f, 11) + 0.02f * Noise(x, y, 17.0f, 12);
    Pixel pixel;
    // A soft shadow beyond the rim, the body, then the rim itself.
    pixel.Over(Colour{0.0f, 0.0f, 0.0f}, 0.35f * (1.0f - Smoothstep(0.0f, 5.0f, distance)));
    const Colour body{0.13f + grain, 0.19f + grain, 0.13f + grain};
    pixel.Over(Mix(body, Colour{0.20f, 0.27f, 0.20f}, Smoothstep(-18.0f, -2.0f, distance)), 0.74f * Cover(distance));
    pixel.Over(Colour{0.78f, 0.88f, 0.78f}, 0.85f * Cover(std::fabs(distance + 3.0f) - 0.7f));
    return pixel;
}

int32_t BakePanel(const char* path)
{
    Canvas canvas;
    if (canvas.Create(kPanelSide, kPanelSide) != 0)
        return 2;
    for (uint32_t y = 0; y < kPanelSide; ++y)
        for (uint32_t x = 0; x < kPanelSide; ++x)
            Store(canvas, x, y, PanelAt(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f));
    return canvas.SaveTarga(path);
}

int32_t BakeOverlays(Typeface& typeface, const char* folder)
{
    int32_t result = BakeCard(typeface, folder);
    if (result == 0)
        result = BakeCorners(folder);
    if (result == 0)
        result = BakeDigits(typeface, folder);
    if (result == 0)
        result = BakePanel(PathIn(folder, "Window.tga").c_str());
    return result;
}
