#pragma once
#include <vector>

#include "engine/core/Ptr.h"

#include "engine/core/Vector4.h"

class GeometryNode;
class Image;
class Light;
class SceneNode;
class Texture;
class Texture1DLEffect;

// The small scene the show starts from: a root with a low morning sun (a
// directional light), a meadow ground, three brick boxes, a ribbon-striped
// two-bone tube bent by a skin controller, and the show's cameras and
// their shots (Shots.h) and its sounds (Sounds.h). The materials are
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

// A texture of a generated picture, named after it; null without one (it
// could not be made), which leaves the materials untextured.
Ptr<Texture> TextureOf(Image* picture);

// A textured material lit by the sun: the tint as the diffuse and ambient
// colour (white shows the texture as painted), a faint highlight, repeating
// and filtered through the whole mip chain. Returns the effect so a skinned
// mesh can hand it its skin.
Texture1DLEffect* Dress(GeometryNode& mesh, Texture* texture, const Vector4& tint, Light* sun);
