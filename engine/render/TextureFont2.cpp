#include "engine/render/TextureFont2.h"

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(TextureFont2, Font)

int32_t TextureFont2::LoadParameters(const String& fileName)
{
    File* file = FileManager::FindFile(fileName);
    if (!file || file->Open(File::kRead) != 0)
    {
        LogError("Создание шрифта [%s] неудачно: невозможно открыть файл параметров [%s].", GetName().CStr(),
                 fileName.CStr());
        return 1;
    }
    const String text(reinterpret_cast<const char*>(file->GetBuffer()), file->GetSize());
    file->Close();
    return SetParameters(text, fileName);
}

int32_t TextureFont2::SetParameters(const String& text, const String& fileName)
{
    if (ParseFontParameters(text.CStr(), text.Length(), true, metrics) != 0)
    {
        LogError("Создание шрифта [%s] неудачно: не загружен файл параметров [%s].", GetName().CStr(),
                 fileName.CStr());
        return 1;
    }
    parameterText = text;
    loaded = true;
    return 0;
}

int32_t TextureFont2::SetTexture(Texture* newTexture)
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

uint32_t TextureFont2::LayoutText(float x, float y, float z, const char* text, uint32_t length)
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

bool TextureFont2::Holds(const Object* other) const
{
    if (Font::Holds(other))
        return true;
    return texture && (static_cast<const Object*>(texture.Get()) == other || texture->Holds(other));
}

int32_t TextureFont2::Save(Stream& stream)
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
    if (stream.WriteString(parameterText) != 0)
    {
        LogError("Невозможно сохранить файл настроек шрифта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t TextureFont2::Load(Stream& stream)
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
    String text;
    if (stream.ReadString(text) != 0)
    {
        LogError("Невозможно загрузить файл настроек шрифта. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    // Another class in the texture's place counts as no texture.
    SetTexture(link && link->IsDerived(Texture::TYPE) ? static_cast<Texture*>(link) : nullptr);
    // The text came with the scene: it is parsed like any parameter file.
    loaded = false;
    parameterText = String();
    if (text.Length() > 0 && SetParameters(text, String()) != 0)
        return 1;
    return 0;
}
