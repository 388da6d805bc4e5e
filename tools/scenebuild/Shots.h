#pragma once

class SceneNode;

// The show's camera work, added to a scene BuildTestScene made: five
// moving cameras, each with its shot's controllers, a show director on the
// root that cuts between them, the tube bending under a skeleton, the sun
// aimed by a look-at, and a box that spins during part of one shot.
//
// The cameras, in the director's set order: "Camera" (an orbit keyed node
// by node), "GlideCamera" (a low glide along a curved path), "FollowCamera"
// (a slow dolly that keeps "Bee" in view while it flies a figure of eight),
// "BoxCamera" (behind "Box2", which it hides while it looks through it) and
// "TubeCamera" (riding the tip of the swaying tube).
void AddShots(SceneNode& root);
