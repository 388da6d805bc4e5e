#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/render/Texture.h"
#include "engine/render/VolumeTexture.h"

// A volume texture whose slices are the images of a list of plain
// textures: slice i is the image of texture i. Every image must have the
// same width, height and format (0, 1 or 2), so the slices stack into one
// block.
class CompositeTexture : public VolumeTexture
{
    QRE_DECLARE_CLASS

public:
    explicit CompositeTexture(const String& name = String());

    // Appends a slice texture (held). 0; 3 (logged) for null or a texture
    // that holds this one. The volume is not rebuilt until Compose.
    int32_t AddTexture(Texture* texture);
    void RemoveTextures() { textures.Clear(); }
    uint32_t GetTextureCount() const { return textures.Count(); }
    Texture* GetTexture(uint32_t index) const { return index < textures.Count() ? textures[index].Get() : nullptr; }

    // Builds the volume image from the textures' images in list order and
    // makes it this texture's image (a new device copy follows). 0; 3
    // (logged) when there are no textures, an image or its pixels are
    // missing, or sizes or formats differ; 2 (logged) when the block cannot
    // be had. On failure the previous image stays.
    int32_t Compose();

    bool Holds(const Object* other) const override;

    // streaming: the texture list as a u32 count and that many links. A
    // loaded list is composed at once; a list that does not compose leaves
    // the texture without pixels (drawing goes on without it), not a failed
    // load.
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Array<Ptr<Texture>> textures{1, 4};
};
