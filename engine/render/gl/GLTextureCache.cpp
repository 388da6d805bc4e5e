#include "engine/render/gl/GLTextureCache.h"

GLTextureCache::Entry* GLTextureCache::Find(uintptr_t token)
{
    auto found = textures.find(token);
    return found == textures.end() ? nullptr : &found->second;
}

uintptr_t GLTextureCache::Add(const Entry& entry)
{
    const uintptr_t token = nextToken++;
    textures[token] = entry;
    return token;
}

bool GLTextureCache::IsTarget(const BaseTexture* texture) const
{
    if (!texture)
        return false;
    for (const TargetEntry& entry : targets)
        if (entry.texture == texture)
            return true;
    return false;
}
