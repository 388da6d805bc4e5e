#include "engine/render/MSFont.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(MSFont, Font)

namespace
{
constexpr uint32_t kGlyphFloats = 6; // A, B, C, cell width, x, y
} // namespace

MSFont::MSFont(const String& name) : Font(name) {}

MSFont::~MSFont() = default;

int32_t MSFont::LoadParameters(const String& fileName)
{
    File* file = FileManager::FindFile(fileName);
    if (!file || file->Open(File::kRead) != 0)
    {
        LogError("Создание шрифта [%s] неудачно: невозможно открыть файл параметров.", GetName().CStr());
        return 1;
    }
    const int32_t result =
        SetParameters(reinterpret_cast<const char*>(file->GetBuffer()), file->GetSize());
    file->Close();
    return result;
}

int32_t MSFont::SetParameters(const char* text, uint32_t length)
{
    if (ParseFontParameters(text, length, false, metrics) != 0)
    {
        LogError("Создание шрифта [%s] неудачно: не загружен файл параметров.", GetName().CStr());
        return 1;
    }
    loaded = true;
    return SetMaxChars(GetMaxChars());
}

int32_t MSFont::SetTexture(Texture* newTexture)
{
    if (newTexture && newTexture->Holds(this))
    {
        LogError("Текстура уже содержит этот шрифт. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    texture = newTexture;
    if (sprite)
        sprite->SetTexture(texture.Get());
    return 0;
}

int32_t MSFont::SetMaxChars(uint32_t n)
{
    if (n > kMaxCapacity)
    {
        LogError("Слишком много символов для шрифта: %u. Имя[%s] ID[%d]", n, GetName().CStr(), GetID());
        return 3;
    }
    switch (BuildQuads(n))
    {
    case QuadFailure::None:
        sprite->SetTexture(texture.Get());
        return 0;
    case QuadFailure::Geometry:
        LogError("Недостаточно памяти для создания геометрии MSFont. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return 2;
    case QuadFailure::Vertices:
        LogError("Недостаточно памяти для создания вершин MSFont. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return 2;
    case QuadFailure::Text:
        break;
    }
    LogError("Недостаточно памяти для создания строки текста MSFont. Имя[%s] ID[%d].", GetName().CStr(), GetID());
    return 2;
}

uint32_t MSFont::LayoutText(float x, float y, float z, const char* text, uint32_t length)
{
    Vector3Buffer* positions = GetPositions();
    Vector2Buffer* coordinates = GetTextureCoordinates();
    if (!loaded || !positions || !coordinates || !text)
        return 0;
    if (length > GetMaxChars())
        length = GetMaxChars();
    float width = 1.0f;
    float height = 1.0f;
    TextureSize(texture.Get(), width, height);
    Pen pen;
    pen.x = x;
    pen.y = y;
    pen.z = z;
    pen.lineScale = GetLineScale();
    pen.charScale = GetCharScale();
    return LayoutGlyphs(metrics, width, height, pen, reinterpret_cast<const uint8_t*>(text), length,
                        positions->GetElements(), coordinates->GetElements(), nullptr);
}

Ptr<Triangles> MSFont::BuildTextNode(const char* text, float maxWidth, float maxHeight, float lineScale,
                                     float charScale)
{
    // The scales and limits reach the vertices: nothing not finite.
    if (!loaded || !text || !std::isfinite(maxWidth) || !std::isfinite(maxHeight) || !std::isfinite(lineScale) ||
        !std::isfinite(charScale))
        return Ptr<Triangles>();
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    const auto length = static_cast<uint32_t>(std::strlen(text));
    float width = 1.0f;
    float height = 1.0f;
    TextureSize(texture.Get(), width, height);
    Pen pen;
    pen.lineScale = lineScale;
    pen.charScale = charScale;
    pen.maxWidth = maxWidth > 0.0f ? maxWidth : 0.0f;
    uint32_t lines = 0;
    const uint32_t quads = LayoutGlyphs(metrics, width, height, pen, bytes, length, nullptr, nullptr, &lines);
    const float textHeight =
        static_cast<float>(lines - 1) * metrics.ascent * lineScale + metrics.height * lineScale;
    if (!(textHeight <= maxHeight))
        return Ptr<Triangles>();

    Ptr<Triangles> node = new (std::nothrow) Triangles(String("Text"));
    Ptr<SpriteEffect> effect = new (std::nothrow) SpriteEffect(String("TextSprite"));
    Ptr<Vector3Buffer> positions = CreateBuffer<Vector3Buffer>(quads * 4);
    Ptr<Vector2Buffer> coordinates = CreateBuffer<Vector2Buffer>(quads * 4);
    Ptr<IntBuffer> indices = CreateBuffer<IntBuffer>(quads * 6);
    if (!node || !effect || !positions || !coordinates || !indices)
    {
        LogError("Недостаточно памяти для создания геометрии MSFont. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return Ptr<Triangles>();
    }
    LayoutGlyphs(metrics, width, height, pen, bytes, length, positions->GetElements(), coordinates->GetElements(),
                 nullptr);
    int32_t* index = indices->GetElements();
    for (uint32_t i = 0; i < quads; ++i)
    {
        const auto base = static_cast<int32_t>(i * 4);
        const int32_t pattern[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
        std::memcpy(index + i * 6, pattern, sizeof(pattern));
    }
    effect->SetBlend(true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
    effect->SetCullEnabled(false);
    effect->SetTexture(texture.Get());
    effect->SetColor(GetColour());
    node->SetVertices(positions.Get());
    node->SetTextureCoordinates(0, coordinates.Get());
    node->SetIndices(indices.Get());
    node->SetEffect(effect.Get());
    return node;
}

bool MSFont::Holds(const Object* other) const
{
    if (Font::Holds(other))
        return true;
    return texture && (static_cast<const Object*>(texture.Get()) == other || texture->Holds(other));
}

int32_t MSFont::Save(Stream& stream)
{
    if (Font::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(texture.Get()) != 0)
    {
        LogError("Невозможно сохранить текстуру шрифта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    const FontParameters& m = metrics;
    const float header[5] = {m.ascent, m.descent, m.height, m.xOffset, m.yOffset};
    uint8_t present[256];
    float glyphs[256 * kGlyphFloats];
    for (uint32_t code = 0; code < 256; ++code)
    {
        const FontGlyph& g = m.glyphs[code];
        present[code] = m.present[code] ? 1 : 0;
        const float record[kGlyphFloats] = {g.a, g.b, g.c, g.cellWidth, g.x, g.y};
        std::memcpy(glyphs + code * kGlyphFloats, record, sizeof(record));
    }
    if (stream.WriteFloats(header, 5) != 0 || stream.Write(present, sizeof(present)) != 0 ||
        stream.WriteFloats(glyphs, 256 * kGlyphFloats) != 0)
    {
        LogError("Невозможно сохранить данные шрифта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t MSFont::Load(Stream& stream)
{
    if (Font::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить текстуру шрифта. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    float header[5] = {};
    uint8_t present[256] = {};
    float glyphs[256 * kGlyphFloats] = {};
    bool finite = true;
    if (stream.ReadFloats(header, 5) == 0 && stream.Read(present, sizeof(present)) == 0 &&
        stream.ReadFloats(glyphs, 256 * kGlyphFloats) == 0)
    {
        // The metrics reach the vertices: anything not finite is damage.
        for (float value : header)
            finite = finite && std::isfinite(value);
        for (float value : glyphs)
            finite = finite && std::isfinite(value);
    }
    else
        finite = false;
    if (!finite)
    {
        LogError("Невозможно загрузить данные шрифта. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    FontParameters& m = metrics;
    m.ascent = header[0];
    m.descent = header[1];
    m.height = header[2];
    m.xOffset = header[3];
    m.yOffset = header[4];
    loaded = false;
    for (uint32_t code = 0; code < 256; ++code)
    {
        const float* g = glyphs + code * kGlyphFloats;
        m.present[code] = present[code] != 0;
        m.glyphs[code] = FontGlyph{g[0], g[1], g[2], g[3], g[4], g[5]};
        loaded = loaded || m.present[code];
    }
    // Another class in the texture's place counts as no texture.
    SetTexture(link && link->IsDerived(Texture::TYPE) ? static_cast<Texture*>(link) : nullptr);
    return 0;
}
