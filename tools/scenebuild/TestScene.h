#pragma once
#include <vector>

#include "engine/core/Ptr.h"

class Image;
class SceneNode;

// The small scene the show starts from: a root with a low morning sun (a
// directional light), a meadow ground, three brick boxes, a ribbon-striped
// two-bone tube bent by a skin controller, and the show's cameras and
// their shots (Shots.h). The materials are
// textured with pictures generated in code; the scene file refers to them
// by file name only, so each picture made is appended to pictures for the
// caller to write beside the scene file (and pack with it).
//
// The root carries a bloom; the meadow, boxes and tube sit under "Shadowed",
// whose shadow map is cast by Box2 and the tube.
//
// Names the show may look for: "Root", "Camera" (the first shot's), "Sun", "Ground",
// "Box1".."Box3", "Skeleton", "Bone0", "Bone1", "BoneEnd", "Tube"; the
// pictures are "meadow.jpg", "brick.jpg" and "ribbon.jpg".
Ptr<SceneNode> BuildTestScene(std::vector<Ptr<Image>>& pictures);
