#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"

class Image;

// The scene's textures, generated in code from fixed seeds so that every
// build writes the same pixels. Each is an RGB image (format 0) of
// size x size texels that tiles in both directions, named and with its file
// name set to fileName: a scene file keeps an image by that name and finds
// the picture again in the archive it is packed into. size must be a power
// of two of at least 16 (the lattices divide it); null otherwise.

// Meadow: fresh grass in two greens with blade streaks, and patches of
// bare soil. One tile is a few metres of ground.
Ptr<Image> MakeMeadowPicture(const char* fileName, uint32_t size);

// Pastel brickwork: four courses of two bricks, every other course offset
// by half a brick, each brick its own warm tint, pale mortar between.
Ptr<Image> MakeBrickPicture(const char* fileName, uint32_t size);

// A painted-egg ribbon: bands of saffron, rose, lilac, mint and sky along v
// with zigzag edges (a whole number of teeth around u) and white seams.
Ptr<Image> MakeRibbonPicture(const char* fileName, uint32_t size);

// Sprite shapes: white, the shape in alpha, so a particle's own colour
// tints it.
enum class SpriteShape
{
    SoftDot,  // a round glow fading to nothing at the edge (water, pollen, lantern)
    Petal,    // a rounded teardrop with a soft rim (falling blossom)
    Blossom,  // a five-petalled flower with a darker heart (the flower bed)
};

// A 32-bit picture (format 1) of size x size, for a ".tga" file name.
Ptr<Image> MakeSpritePicture(const char* fileName, uint32_t size, SpriteShape shape);

// Blossom-laden foliage: pale pink flowers thick over fresh green, for the
// tree's crown.
Ptr<Image> MakeBlossomPicture(const char* fileName, uint32_t size);

// Grass blades: dark at the root (v = 1), fresh green to the tips (v = 0),
// with fine streaks across u.
Ptr<Image> MakeBladesPicture(const char* fileName, uint32_t size);

// The grass patch's parameters: red the density, thinning to nothing along
// a winding footpath; green the blade size, taller away from the path; blue
// the brightness, patchy.
Ptr<Image> MakeGrassMapPicture(const char* fileName, uint32_t size);
