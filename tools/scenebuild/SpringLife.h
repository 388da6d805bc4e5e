#pragma once
#include <vector>

#include "engine/core/Ptr.h"

class Image;
class Light;
class SceneNode;

// The living parts of the meadow: a fountain, pollen drifting in the air, a
// blossoming tree letting its petals go, a swaying flower bed, a lantern's
// glow and a patch of tall grass thinned along a footpath, all under root
// and placed where the show's shots see them. The pictures they need are
// appended to pictures.
//
// Names: "Fountain", "Pollen", "BlossomTree" (with "Trunk", "Crown",
// "Petals"), "FlowerBed", "Lantern", "GrassPatch"; pictures "glow.tga",
// "petal.tga", "flower.tga", "blossom.jpg", "blades.jpg", "grassmap.jpg".
void AddSpringLife(SceneNode& root, Light* sun, std::vector<Ptr<Image>>& pictures);
