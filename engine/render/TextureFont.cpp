#include "engine/render/TextureFont.h"

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(TextureFont, Font)

int32_t TextureFont::SetTexture(Texture* newTexture)
{
    if (newTexture && newTexture->Holds(this))
    {
        LogError("Текстура уже содержит этот шрифт. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    texture = newTexture;
    if (!sprite && GetMaxChars() > 0)
        SetMaxChars(GetMaxChars());
    if (sprite)
        sprite->SetTexture(texture.Get());
    return 0;
}

uint32_t TextureFont::LayoutText(float x, float y, float z, const char* text, uint32_t length)
{
    Vector3Buffer* positions = GetPositions();
    Vector2Buffer* coordinates = GetTextureCoordinates();
    if (!positions || !coordinates || !text)
        return 0;
    if (length > GetMaxChars())
        length = GetMaxChars();
    const float width = kCellSize * GetCharScale();
    const float height = kCellSize * GetLineScale();
    Vector3* p = positions->GetElements();
    Vector2* t = coordinates->GetElements();
    float penX = x;
    uint32_t quads = 0;
    for (uint32_t i = 0; i < length; ++i)
    {
        const auto code = static_cast<uint8_t>(text[i]);
        if (code == 10)
        {
            penX = x;
            y -= height;
            continue;
        }
        if (code == 32 || code == 182)
        {
            penX += code == 32 ? width : GetTabAdvance() * GetCharScale();
            continue;
        }
        const Vector4& cell = FontManager::GetGridCell(code);
        p[0] = Vector3(penX, y, z);
        p[1] = Vector3(penX + width, y, z);
        p[2] = Vector3(penX + width, y - height, z);
        p[3] = Vector3(penX, y - height, z);
        t[0] = Vector2(cell.x, cell.y);
        t[1] = Vector2(cell.z, cell.y);
        t[2] = Vector2(cell.z, cell.w);
        t[3] = Vector2(cell.x, cell.w);
        p += 4;
        t += 4;
        ++quads;
        penX += width;
    }
    return quads;
}

bool TextureFont::Holds(const Object* other) const
{
    if (Font::Holds(other))
        return true;
    return texture && (static_cast<const Object*>(texture.Get()) == other || texture->Holds(other));
}

int32_t TextureFont::Save(Stream& stream)
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
    return 0;
}

int32_t TextureFont::Load(Stream& stream)
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
    // Another class in the texture's place counts as no texture.
    SetTexture(link && link->IsDerived(Texture::TYPE) ? static_cast<Texture*>(link) : nullptr);
    return 0;
}
