#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/render/FontParameters.h"

class Camera;
class IntBuffer;
class SpriteEffect;
class Texture;
class Triangles;
class Vector2Buffer;
class Vector3Buffer;
struct Vector2;
struct Vector3;

// Starts and stops with the engine (its pair sits on the engine lists with
// the other managers): builds the 16 x 16 grid of cells the grid fonts
// draw from, and keeps the one camera every font draws through.
class FontManager
{
public:
    static int32_t Initialize();
    // Lets the camera go. 0.
    static int32_t Terminate();

    // The font camera for a viewport of width x height pixels: text units,
    // 1/480 of the height each, x from 0 to 480 x width / height, origin at
    // the bottom left, depth z as given (0..1); identity view. Made on the
    // first call; null (logged) when out of memory.
    static Camera* GetCamera(int32_t width, int32_t height);

    // The texture rectangle (u0, v0, u1, v1) of cell code of a 16 x 16
    // grid: code = row x 16 + column, row 0 at the top of the texture.
    static const Vector4& GetGridCell(uint8_t code);
};

// A text drawer: its glyphs live in one texture, and each text becomes a
// list of quads in a Triangles node drawn through a SpriteEffect with the
// font's own camera. Positions are in text units (see FontManager).
class Font : public Object
{
    QRE_DECLARE_CLASS

public:
    // Vertical text units across the screen.
    static constexpr float kTextUnitsHigh = 480.0f;
    // The largest capacity a font takes: keeps 6 x n indices in range and a
    // damaged record from reserving gigabytes.
    static constexpr uint32_t kMaxCapacity = 65536;

    explicit Font(const String& name = String());
    ~Font() override;

    // Capacity of the quad geometry: the most characters one DrawText
    // shows. 0 after a failed SetMaxChars; a font without geometry draws
    // nothing.
    uint32_t GetMaxChars() const { return maxChars; }
    // Makes room for n quads and the text to format. 0; 2 out of memory
    // (logged, maxChars 0); 3 above kMaxCapacity (logged).
    virtual int32_t SetMaxChars(uint32_t n);

    const Vector4& GetColour() const { return colour; }
    // Shows from the next draw on.
    virtual void SetColour(const Vector4& value);

    // Scales from the font's pixel metrics to text units: lineScale for
    // vertical ones, charScale for horizontal ones. tabAdvance is the
    // advance of code 182, in pixels.
    float GetLineScale() const { return lineScale; }
    void SetLineScale(float value) { lineScale = value; }
    float GetCharScale() const { return charScale; }
    void SetCharScale(float value) { charScale = value; }
    float GetTabAdvance() const { return tabAdvance; }
    void SetTabAdvance(float value) { tabAdvance = value; }

    // Formats like printf, bounded, cuts to maxChars and draws the text with
    // its first line's top-left pen at (x, y), depth z. Between BeginFrame
    // and EndFrame. Text the caller did not write goes as an argument of
    // "%s", never as the format. 0; 1 without a renderer or geometry.
    int32_t DrawText(float x, float y, float z, const char* format, ...) __attribute__((format(printf, 5, 6)));

    // Lays out the first length bytes of text (already cut to maxChars) into
    // the font's quads; the number of quads.
    virtual uint32_t LayoutText(float x, float y, float z, const char* text, uint32_t length) = 0;

    // The quads of the last layout, for whoever checks or measures them.
    Vector3Buffer* GetPositions() const { return positions.Get(); }
    Vector2Buffer* GetTextureCoordinates() const { return coordinates.Get(); }
    SpriteEffect* GetSprite() const { return sprite.Get(); }

    bool Holds(const Object* other) const override;

    // streaming: maxChars, lineScale, charScale, tabAdvance, colour
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // What BuildQuads could not make, for the class's own message.
    enum class QuadFailure
    {
        None,
        Geometry,
        Vertices,
        Text,
    };
    // Makes the geometry on first use, then buffers for n quads (indices in
    // the quad pattern) and the text; on a failure maxChars is 0.
    QuadFailure BuildQuads(uint32_t n);

    // Where a layout starts and how it scales.
    struct Pen
    {
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;
        float lineScale = 0.0f;
        float charScale = 0.0f;
        float maxWidth = 0.0f; // lines break at blanks past it; 0 never
    };
    // Lays text out with metrics from a parameter file on a texture of the
    // given size: line feeds, skipped missing codes, the space (height x
    // 0.25) and code 182 (tabAdvance) advances, one quad per other glyph,
    // written to positions and coordinates when not null. The number of
    // quads; lines gets the number of lines.
    uint32_t LayoutGlyphs(const FontParameters& metrics, float textureWidth, float textureHeight, const Pen& pen,
                          const uint8_t* text, uint32_t length, Vector3* positionsOut, Vector2* coordinatesOut,
                          uint32_t* lines) const;

    // The size of a texture's image, 1 x 1 without one.
    static void TextureSize(const Texture* texture, float& width, float& height);

    // Writes the glyph texture and quad count into the geometry and draws
    // the first count quads through the font camera.
    void DrawQuads(uint32_t count);

    Ptr<Triangles> geometry;
    Ptr<SpriteEffect> sprite;

private:
    uint32_t maxChars = 256;
    float lineScale = 0.03f;
    float charScale = 0.04f;
    float tabAdvance = 0.0f;
    Vector4 colour{1.0f, 1.0f, 1.0f, 1.0f};
    Ptr<Vector3Buffer> positions;
    Ptr<Vector2Buffer> coordinates;
    Ptr<IntBuffer> indices;
    std::unique_ptr<char[]> text; // maxChars + 1 bytes for the formatted text
};
