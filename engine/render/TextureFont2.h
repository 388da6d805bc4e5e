#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/String.h"
#include "engine/render/Font.h"
#include "engine/render/FontParameters.h"

class Texture;

// A texture font described by a parameter file in MSFont's layout with
// integer metrics, kept as text inside the object (a scene carries it) and
// laid out as MSFont lays out. Stream record after Font's: the texture link,
// then the parameter text, parsed again after loading.
class TextureFont2 : public Font
{
    QRE_DECLARE_CLASS

public:
    explicit TextureFont2(const String& name = String()) : Font(name) {}

    // Reads and parses a parameter file through the file manager. 0; 1
    // when it cannot be opened or is refused (logged with both names).
    int32_t LoadParameters(const String& fileName);
    // Parses the text and keeps it. 0; 1 refused (logged, nothing kept).
    int32_t SetParameters(const String& text, const String& fileName);
    const String& GetParameterText() const { return parameterText; }
    bool IsLoaded() const { return loaded; }

    // The glyph texture (held). 3 (refused, logged) when it holds this font.
    Texture* GetTexture() const { return texture.Get(); }
    int32_t SetTexture(Texture* newTexture);

    uint32_t LayoutText(float x, float y, float z, const char* text, uint32_t length) override;

    bool Holds(const Object* other) const override;

    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Ptr<Texture> texture;
    String parameterText;
    FontParameters metrics;
    bool loaded = false;
};
