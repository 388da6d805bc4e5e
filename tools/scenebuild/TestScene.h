#pragma once
#include "engine/core/Ptr.h"

class SceneNode;

// The small scene the show starts from: a root with a camera, a light, a
// ground, a few boxes and a two-bone tube bent by a skin controller. Effects
// come with the renderer's effect classes; until then the geometry has none
// and draws nothing, but the tree loads, updates and culls.
//
// Names the show may look for: "Root", "Camera", "Sun", "Ground",
// "Box1".."Box3", "Skeleton", "Bone0", "Bone1", "BoneEnd", "Tube".
Ptr<SceneNode> BuildTestScene();
