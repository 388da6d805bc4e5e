#include "engine/render/BaseTexture.h"

#include <new>

#include "engine/image/Image.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

QRE_IMPLEMENT_CLASS(BaseTexture, Object)

BaseTexture::BaseTexture(const String& name) : Object(name)
{
}

BaseTexture::~BaseTexture()
{
    ReleaseDevice();
}

BaseTexture::DeviceFormat BaseTexture::ChooseDeviceFormat(int32_t imageFormat, bool compress, bool dxt1Supported)
{
    switch (imageFormat)
    {
    case Image::kPixel24:
        return compress && dxt1Supported ? kDeviceDxt1 : kDeviceRgb32;
    case Image::kPixel32:
        return kDeviceArgb32;
    case Image::kPixel8:
        return kDeviceAlpha8;
    default:
        return kDeviceNone;
    }
}

uint32_t BaseTexture::FullMipCount(uint32_t width, uint32_t height)
{
    uint32_t side = width > height ? width : height;
    uint32_t count = 0;
    for (; side; side >>= 1)
        ++count;
    return count;
}

uint32_t BaseTexture::ResolveMipCount(uint32_t requested, uint32_t width, uint32_t height)
{
    const uint32_t full = FullMipCount(width, height);
    return requested == 0 || requested > full ? full : requested;
}

uint32_t BaseTexture::MipSide(uint32_t side, uint32_t level)
{
    const uint32_t scaled = level >= 32 ? 0 : side >> level;
    return scaled ? scaled : 1;
}

uint64_t BaseTexture::MipLevelBytes(DeviceFormat format, uint32_t width, uint32_t height, uint32_t level)
{
    const uint64_t w = MipSide(width, level);
    const uint64_t h = MipSide(height, level);
    switch (format)
    {
    case kDeviceRgb32:
    case kDeviceArgb32:
        return w * h * 4;
    case kDeviceAlpha8:
        return w * h;
    case kDeviceDxt1:
        return ((w + 3) / 4) * ((h + 3) / 4) * 8;
    default:
        return 0;
    }
}

void BaseTexture::SetDeviceHandle(Renderer* renderer, void* handle)
{
    deviceRenderer = renderer;
    deviceHandle = handle;
}

void BaseTexture::ReleaseDevice()
{
    // Held across the call: the renderer clears our record, which may be
    // the last reference to it.
    Ptr<Renderer> renderer = deviceRenderer;
    if (renderer)
        renderer->ReleaseTexture(this);
    deviceHandle = nullptr;
    deviceRenderer = nullptr;
    changed = true;
}

int32_t BaseTexture::Save(Stream& stream)
{
    if (Object::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteUInt32(mipLevels) != 0)
    {
        LogError("Невозможно сохранить количество мип-мэпов текстуры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t BaseTexture::Load(Stream& stream)
{
    if (Object::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (stream.ReadUInt32(mipLevels) != 0)
    {
        mipLevels = 0;
        LogError("Невозможно загрузить количество мип-мэпов текстуры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    return 0;
}

bool BaseTexture::RefusesImage(const Object* newImage) const
{
    if (!newImage->Holds(this))
        return false;
    LogWarning("Изображение уже владеет текстурой, установка замкнула бы цикл ссылок. Имя[%s] ID[%d]",
               GetName().CStr(), GetID());
    return true;
}

int32_t BaseTexture::SaveWithImage(Stream& stream, Object* image)
{
    if (BaseTexture::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(image) != 0)
    {
        LogError("Невозможно сохранить изображение текстуры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t BaseTexture::LoadRecordAndImageLink(Stream& stream, const RTTI& type, Object*& image)
{
    image = nullptr;
    if (BaseTexture::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить изображение текстуры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    if (link && link->IsDerived(type))
        image = link;
    return 0;
}

void BaseTexture::LogLoaded() const
{
    LogInfo("Текстура [%s] загружена.", GetName().CStr());
}
