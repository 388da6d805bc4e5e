#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/Font.h"

class Texture;

// A grid font: the glyph texture is 16 x 16 equal cells, code = row x 16 +
// column, each drawn kCellSize x charScale wide and kCellSize x lineScale
// high. A line feed moves down one cell, a blank and code 182 (tabAdvance)
// advance without a quad. Stream record after Font's: the texture link.
class TextureFont : public Font
{
    QRE_DECLARE_CLASS

public:
    // The cell's size in the scale's units, as a glyph's pixels in MSFont.
    static constexpr float kCellSize = 32.0f;

    explicit TextureFont(const String& name = String()) : Font(name) {}

    // The glyph texture (held). 3 (refused, logged) when it holds this font.
    Texture* GetTexture() const { return texture.Get(); }
    int32_t SetTexture(Texture* newTexture);

    uint32_t LayoutText(float x, float y, float z, const char* text, uint32_t length) override;

    bool Holds(const Object* other) const override;

    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Ptr<Texture> texture;
};
