#pragma once
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/image/Image.h"

class SceneNode;

// The camera "FamilyRow" facing a 6 x 4 grid far from the meadow (beyond
// every shot's far plane): cell (c, r), r from the top, holds a lit and
// textured patch drawn by effect 6r + c of the family, in the family's
// order, with a generated lightmap, a normal map with the height in its
// alpha, a fur mask and a point light "Lamp" in front. The pictures join
// the list the builder writes.
void AddFamilyRow(SceneNode& root, std::vector<Ptr<Image>>& pictures);
