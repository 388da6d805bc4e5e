#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Vector3.h"

class Triangles;

// Triangle meshes generated in code, each centred on its own origin, with
// normals and texture coordinates (stage 0) filled in and the local bound
// computed. Faces wind so that their normals point outwards.

// A flat square of size x size in the y = 0 plane, cut into cells x cells
// squares, facing +y; coordinates repeat once per cell.
Ptr<Triangles> MakeGround(const char* name, float size, uint32_t cells);

// A box with the given half extents; each face has its own four vertices so
// its edges stay sharp. Texture coordinates are the face's own position in
// units of span (one repeat of a tiling picture per span), upright on the
// sides: u runs to the right seen from outside, v downwards.
Ptr<Triangles> MakeBox(const char* name, const Vector3& halfExtents, float span);

// An open tube along +y from y = 0 to y = length: rings + 1 rings of
// sides + 1 vertices each, the last of a ring on the first (u = 1 against
// u = 0). Vertex i of ring r is number r * (sides + 1) + i; u runs round
// the tube, v along it.
Ptr<Triangles> MakeTube(const char* name, float radius, float length, uint32_t sides, uint32_t rings);

// A globe of radius about the origin: slices around y, stacks from pole to
// pole; the texture wraps once around and once from top to bottom.
Ptr<Triangles> MakeSphere(const char* name, float radius, uint32_t slices, uint32_t stacks);

// One grass tuft: three blades crossed at 60 degrees, rooted at the origin
// and 1 high, leaning slightly outward. Set 0 runs u across a blade and v
// from the tip (0) to the root (1); set 1 has u 0 at the root and 1 at the
// tip, the weight a swaying effect bends by. Draw it without culling.
Ptr<Triangles> MakeGrassTuft(const char* name);

// A flat patch width x depth in the xz plane, centred on the origin, normals
// up, whose texture coordinates run once from 0 to 1 over the whole patch:
// the ground grass is scattered over.
Ptr<Triangles> MakeGrassPatch(const char* name, float width, float depth, uint32_t cells);
