#pragma once

class SceneNode;

// The show's sound, added to a scene BuildTestScene made: "Music" and
// "Birds" heard everywhere alike, a cuckoo ("Cuckoo", two calls at random)
// in the trees beyond the boxes and a brook ("Brook") by the tube, placed
// in 3D, switched on and off by its controller. The sound files come from
// tools/soundgen and sit in Media.rar2 with the scene.
void AddSounds(SceneNode& root);
