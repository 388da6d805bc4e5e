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
