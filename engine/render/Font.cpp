#include "engine/render/Font.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Font, Object)

namespace
{
// Indices for a capacity of quads of which only the first ones are drawn:
// the renderer draws as many indices as the count says.
class QuadIndexBuffer : public IntBuffer
{
public:
    // Fills the quad pattern for capacity quads. False out of memory.
    bool Build(uint32_t quads)
    {
        if (!Allocate(quads * 6))
            return false;
        capacity = quads * 6;
        int32_t* data = GetElements();
        for (uint32_t i = 0; i < quads; ++i)
        {
            const auto base = static_cast<int32_t>(i * 4);
            const int32_t pattern[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
            std::memcpy(data + i * 6, pattern, sizeof(pattern));
        }
        return true;
    }

    // Draws the first quads of the capacity.
    void Use(uint32_t quads)
    {
        const uint32_t wanted = quads * 6 < capacity ? quads * 6 : capacity;
        if (count != wanted)
        {
            count = wanted;
            MarkChanged();
        }
    }

private:
    uint32_t capacity = 0;
};

Ptr<Camera> fontCamera;       // made on first use, let go when the engine stops
Vector4 gridCells[256];       // built when the engine starts
int32_t cameraWidth = 0;      // the viewport the camera's projection is for
int32_t cameraHeight = 0;
} // namespace

int32_t FontManager::Initialize()
{
    for (uint32_t code = 0; code < 256; ++code)
    {
        const float column = static_cast<float>(code % 16);
        const float row = static_cast<float>(code / 16);
        gridCells[code] = Vector4(column / 16.0f, row / 16.0f, (column + 1.0f) / 16.0f, (row + 1.0f) / 16.0f);
    }
    return 0;
}

int32_t FontManager::Terminate()
{
    fontCamera = nullptr;
    cameraWidth = cameraHeight = 0;
    return 0;
}

Camera* FontManager::GetCamera(int32_t width, int32_t height)
{
    if (!fontCamera)
    {
        fontCamera = new (std::nothrow) Camera(String("FontCamera"));
        if (!fontCamera)
        {
            LogError("Недостаточно памяти для создания камеры шрифта.");
            return nullptr;
        }
        cameraWidth = cameraHeight = 0;
    }
    if (width <= 0 || height <= 0)
        width = height = 1;
    if (width != cameraWidth || height != cameraHeight)
    {
        const float across = Font::kTextUnitsHigh * static_cast<float>(width) / static_cast<float>(height);
        fontCamera->SetProjection(Matrix4(2.0f / across, 0.0f, 0.0f, 0.0f,                     //
                                          0.0f, 2.0f / Font::kTextUnitsHigh, 0.0f, 0.0f,       //
                                          0.0f, 0.0f, 1.0f, 0.0f,                              //
                                          -1.0f, -1.0f, 0.0f, 1.0f));
        fontCamera->SetView(Matrix4::Identity());
        cameraWidth = width;
        cameraHeight = height;
    }
    return fontCamera.Get();
}

const Vector4& FontManager::GetGridCell(uint8_t code)
{
    return gridCells[code];
}

Font::Font(const String& name) : Object(name) {}

Font::~Font() = default;

Font::QuadFailure Font::BuildQuads(uint32_t n)
{
    maxChars = 0;
    if (!geometry)
    {
        Ptr<Triangles> node = new (std::nothrow) Triangles(String("FontText"));
        Ptr<SpriteEffect> effect = new (std::nothrow) SpriteEffect(String("FontSprite"));
        if (!node || !effect)
            return QuadFailure::Geometry;
        effect->SetBlend(true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
        effect->SetCullEnabled(false);
        effect->SetColor(colour);
        node->SetEffect(effect.Get());
        geometry = node;
        sprite = effect;
    }
    Ptr<Vector3Buffer> newPositions = CreateBuffer<Vector3Buffer>(n * 4);
    Ptr<Vector2Buffer> newCoordinates = CreateBuffer<Vector2Buffer>(n * 4);
    Ptr<QuadIndexBuffer> newIndices = new (std::nothrow) QuadIndexBuffer();
    if (!newPositions || !newCoordinates || !newIndices || !newIndices->Build(n))
        return QuadFailure::Vertices;
    std::unique_ptr<char[]> newText(new (std::nothrow) char[n + 1]);
    if (!newText)
        return QuadFailure::Text;
    newIndices->Use(0);
    positions = newPositions;
    coordinates = newCoordinates;
    indices = newIndices;
    text = std::move(newText);
    geometry->SetVertices(positions.Get());
    geometry->SetTextureCoordinates(0, coordinates.Get());
    geometry->SetIndices(indices.Get());
    maxChars = n;
    return QuadFailure::None;
}

int32_t Font::SetMaxChars(uint32_t n)
{
    if (n > kMaxCapacity)
    {
        LogError("Слишком много символов для шрифта: %u. Имя[%s] ID[%d]", n, GetName().CStr(), GetID());
        return 3;
    }
    const QuadFailure failure = BuildQuads(n);
    if (failure == QuadFailure::None)
        return 0;
    if (failure == QuadFailure::Text)
        LogError("Недостаточно памяти для создания строки текста TextureFont. Имя[%s] ID[%d].", GetName().CStr(),
                 GetID());
    else
        LogError("Недостаточно памяти для создания геометрии TextureFont. Имя[%s] ID[%d].", GetName().CStr(),
                 GetID());
    return 2;
}

void Font::SetColour(const Vector4& value)
{
    colour = value;
    if (sprite)
        sprite->SetColor(value);
}

int32_t Font::DrawText(float x, float y, float z, const char* format, ...)
{
    if (!text && maxChars > 0 && SetMaxChars(maxChars) != 0)
        return 1;
    if (!text || maxChars == 0 || !format)
        return 1;
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(text.get(), maxChars + 1, format, arguments);
    va_end(arguments);
    if (written < 0)
        return 1;
    const uint32_t length = static_cast<uint32_t>(written) < maxChars ? static_cast<uint32_t>(written) : maxChars;
    DrawQuads(LayoutText(x, y, z, text.get(), length));
    return 0;
}

uint32_t Font::LayoutGlyphs(const FontParameters& metrics, float textureWidth, float textureHeight, const Pen& pen,
                            const uint8_t* bytes, uint32_t length, Vector3* positionsOut, Vector2* coordinatesOut,
                            uint32_t* lines) const
{
    const float lineStep = metrics.ascent * pen.lineScale;
    const float space = metrics.height * 0.25f;
    // The pen's advance for a code the layout draws or steps over.
    auto advance = [&](uint8_t code) -> float {
        if (!metrics.present[code])
            return 0.0f;
        if (code == 32)
            return space * pen.charScale;
        if (code == 182)
            return tabAdvance * pen.charScale;
        return (metrics.glyphs[code].b + metrics.glyphs[code].c) * pen.charScale;
    };
    const bool wrapping = pen.maxWidth > 0.0f;
    const float right = pen.x + pen.maxWidth;
    float x = pen.x;
    float y = pen.y;
    uint32_t lineCount = 1;
    uint32_t quads = 0;
    auto newLine = [&]() {
        x = pen.x;
        y -= lineStep;
        ++lineCount;
    };
    for (uint32_t i = 0; i < length; ++i)
    {
        const uint8_t code = bytes[i];
        if (code == 10)
        {
            newLine();
            continue;
        }
        if (!metrics.present[code])
            continue;
        const float step = advance(code);
        if (wrapping)
        {
            if (code == 32)
            {
                // A blank that does not fit ends the line and goes with it.
                if (x + step > right && x > pen.x)
                {
                    newLine();
                    continue;
                }
            }
            else
            {
                if (i == 0 || bytes[i - 1] == 32 || bytes[i - 1] == 10)
                {
                    // A word that does not fit the rest of the line starts
                    // the next one.
                    float word = 0.0f;
                    for (uint32_t j = i; j < length && bytes[j] != 32 && bytes[j] != 10; ++j)
                        word += advance(bytes[j]);
                    if (x > pen.x && x + word > right)
                        newLine();
                }
                // A word longer than a line is split.
                if (x > pen.x && x + step > right)
                    newLine();
            }
        }
        if (code == 32 || code == 182)
        {
            x += step;
            continue;
        }
        const FontGlyph& glyph = metrics.glyphs[code];
        const float left = x - metrics.xOffset * pen.charScale + glyph.a * pen.charScale;
        const float quadRight = left + glyph.cellWidth * pen.charScale;
        const float top = y + metrics.yOffset * pen.lineScale;
        const float bottom = top - metrics.height * pen.lineScale;
        if (positionsOut)
        {
            Vector3* p = positionsOut + quads * 4;
            p[0] = Vector3(left, top, pen.z);
            p[1] = Vector3(quadRight, top, pen.z);
            p[2] = Vector3(quadRight, bottom, pen.z);
            p[3] = Vector3(left, bottom, pen.z);
        }
        if (coordinatesOut)
        {
            const float u0 = (glyph.x - metrics.xOffset) / textureWidth;
            const float u1 = (glyph.x - metrics.xOffset + glyph.cellWidth) / textureWidth;
            const float v0 = (glyph.y - metrics.ascent) / textureHeight;
            const float v1 = (glyph.y - metrics.ascent + metrics.height) / textureHeight;
            Vector2* t = coordinatesOut + quads * 4;
            t[0] = Vector2(u0, v0);
            t[1] = Vector2(u1, v0);
            t[2] = Vector2(u1, v1);
            t[3] = Vector2(u0, v1);
        }
        ++quads;
        x += step;
    }
    if (lines)
        *lines = lineCount;
    return quads;
}

void Font::TextureSize(const Texture* texture, float& width, float& height)
{
    const Image* image = texture ? texture->GetImage() : nullptr;
    width = image && image->GetWidth() > 0 ? static_cast<float>(image->GetWidth()) : 1.0f;
    height = image && image->GetHeight() > 0 ? static_cast<float>(image->GetHeight()) : 1.0f;
}

void Font::DrawQuads(uint32_t count)
{
    Renderer* renderer = GetRenderer();
    if (!renderer || !geometry || !indices || count == 0)
        return;
    static_cast<QuadIndexBuffer*>(indices.Get())->Use(count);
    positions->MarkChanged();
    coordinates->MarkChanged();
    Camera* camera = FontManager::GetCamera(renderer->GetWidth(), renderer->GetHeight());
    if (!camera)
        return;
    renderer->FlushTransparent();
    Ptr<Camera> previous = renderer->GetCamera();
    renderer->SetCamera(camera);
    geometry->DrawDeferred(*renderer);
    renderer->FlushTransparent();
    renderer->SetCamera(previous.Get());
}

bool Font::Holds(const Object* other) const
{
    if (Object::Holds(other))
        return true;
    return geometry && (static_cast<const Object*>(geometry.Get()) == other || geometry->Holds(other));
}

int32_t Font::Save(Stream& stream)
{
    if (Object::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteUInt32(maxChars) != 0 || stream.WriteFloat(lineScale) != 0 || stream.WriteFloat(charScale) != 0 ||
        stream.WriteFloat(tabAdvance) != 0 || stream.WriteVector4(colour) != 0)
    {
        LogError("Невозможно сохранить данные шрифта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t Font::Load(Stream& stream)
{
    if (Object::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    uint32_t count = 0;
    float scales[3] = {};
    Vector4 loadedColour;
    // Scales reach the vertices: anything not finite is damage.
    if (stream.ReadUInt32(count) != 0 || stream.ReadFloats(scales, 3) != 0 || stream.ReadVector4(loadedColour) != 0 ||
        !std::isfinite(scales[0]) || !std::isfinite(scales[1]) || !std::isfinite(scales[2]) || count > kMaxCapacity)
    {
        LogError("Невозможно загрузить данные шрифта. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    lineScale = scales[0];
    charScale = scales[1];
    tabAdvance = scales[2];
    SetColour(loadedColour);
    return SetMaxChars(count) == 0 ? 0 : 1;
}
