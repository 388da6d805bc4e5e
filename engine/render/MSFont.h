#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/Font.h"
#include "engine/render/FontParameters.h"

class Texture;
class Triangles;

// The main font: a glyph texture and a parameter file of per-character
// metrics (see FontParameters), laid out with A-B-C widths.
//
// Stream record after Font's: the glyph texture link; ascent, descent,
// height, xOffset, yOffset (floats); then the glyph table as two raw
// arrays: 256 present bytes (0 or 1, by code), then 256 records of six
// floats (A, B, C, cell width, x, y), by code.
class MSFont : public Font
{
    QRE_DECLARE_CLASS

public:
    explicit MSFont(const String& name = String());
    ~MSFont() override;

    // Reads the parameter file through the file manager and parses it as
    // SetParameters does. 0; 1 when it cannot be opened or is refused
    // (logged with the font's name); 2 out of memory.
    int32_t LoadParameters(const String& fileName);
    // Parses a parameter file's text (float metrics): on success the font
    // is loaded and its quads are rebuilt. 0; 1 refused (logged, the font
    // as it was); 2 out of memory.
    int32_t SetParameters(const char* text, uint32_t length);
    bool IsLoaded() const { return loaded; }
    const FontParameters& GetParameters() const { return metrics; }

    // The glyph texture (held; its image's size maps the metrics to texture
    // coordinates). 3 (refused, logged) when it holds this font.
    Texture* GetTexture() const { return texture.Get(); }
    int32_t SetTexture(Texture* newTexture);

    // Rebuilds the quad geometry: 4 x n vertices and coordinates, 6 x n
    // indices. 0; 2 out of memory and 3 above kMaxCapacity (logged,
    // maxChars 0).
    int32_t SetMaxChars(uint32_t n) override;

    uint32_t LayoutText(float x, float y, float z, const char* text, uint32_t length) override;

    // The message window's text: a Triangles node of its own, sized to the
    // text (not cut at maxChars), in text units with (0, 0) at the top left
    // of the first line and y up, drawn by a SpriteEffect of its own with
    // this font's texture and colour. Lines break at blanks to stay within
    // maxWidth (a longer word is split); line feeds are kept. Null when the
    // lines do not fit maxHeight, for a value that is not finite, and out
    // of memory (logged).
    Ptr<Triangles> BuildTextNode(const char* text, float maxWidth, float maxHeight, float lineScale,
                                 float charScale);

    bool Holds(const Object* other) const override;

    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Ptr<Texture> texture;
    FontParameters metrics;
    bool loaded = false;
};
