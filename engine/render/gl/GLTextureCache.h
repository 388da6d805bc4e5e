#pragma once
#include <cstdint>
#include <map>

// The device copies of textures, by the token kept in each texture's handle
// slot. A token is never reused, so a texture whose copy went with a loss or
// a Shutdown (or a token of another renderer) is simply made again.
// Internal to engine/render/gl.
class GLTextureCache
{
public:
    std::map<uintptr_t, unsigned int> textures;
    uintptr_t nextToken = 1;
    bool bound[8] = {};
};
