#include "engine/render/NormalmapTextureController.h"

#include <cmath>
#include <new>

#include "engine/image/Image.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Stream.h"
#include "engine/render/Texture.h"

QRE_IMPLEMENT_CLASS(NormalmapTextureController, Controller)

int32_t NormalmapTextureController::Update(double)
{
    if (done || !IsActive())
        return 0;
    Object* target = GetTarget();
    if (!target || !target->IsDerived(Texture::TYPE))
    {
        done = true;
        return 0;
    }
    Texture* texture = static_cast<Texture*>(target);
    texture->MarkChanged();
    Image* image = texture->GetImage();
    // Only a flat height image converts: a volume's further slices would
    // not fit the new block.
    if (!image || image->GetFormat() != Image::kPixel8 || !image->GetData() ||
        image->GetDataSize() != uint64_t(image->GetWidth()) * image->GetHeight())
        return 0;

    const uint32_t width = image->GetWidth();
    const uint32_t height = image->GetHeight();
    const uint64_t stride = heightInAlpha ? 4 : 3;
    // A height image within the engine's limit gives at most four times its
    // bytes, which may pass the limit; the sides must also fit an int.
    const uint64_t size = uint64_t(width) * height * stride;
    std::unique_ptr<uint8_t[]> normals;
    if (width > 0 && height > 0 && width <= INT32_MAX && height <= INT32_MAX && size <= Image::kMaxDataSize)
        normals.reset(new (std::nothrow) uint8_t[size]);
    if (!normals)
    {
        LogError("Недостаточно памяти для карты нормалей. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    // A scale that is not finite (a damaged record) would give garbage
    // normals; flat ones are the safe reading of it.
    const float scale = std::isfinite(bumpScale) ? bumpScale : 0.0f;
    HeightToNormalMap(image->GetData(), static_cast<int>(width), static_cast<int>(height), scale, heightInAlpha,
                      normals.get());
    image->SetFormat(heightInAlpha ? Image::kPixel32 : Image::kPixel24);
    image->SetData(std::move(normals));
    done = true;
    return 0;
}

int32_t NormalmapTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteFloat(bumpScale);
    stream.WriteBool(heightInAlpha);
    if (stream.GetState() != 0)
    {
        LogError("Невозможно сохранить коэффициент бампа. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t NormalmapTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    stream.ReadFloat(bumpScale);
    stream.ReadBool(heightInAlpha);
    if (stream.GetState() != 0)
    {
        LogError("Невозможно загрузить коэффициент бампа. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    done = false;
    return 0;
}
