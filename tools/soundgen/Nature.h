#pragma once
#include "tools/soundgen/Synth.h"

namespace soundgen
{

// "birds.ogg": 48 s of a stereo birdsong loop: chirps, trills and warbles
// of a few kinds of bird at seeded times, near and far, over a faint
// breeze; peaks at -12 dBFS, well under the music.
Track MakeBirds();

// "cuckoo1.ogg" and "cuckoo2.ogg": one bird's two calls, mono, a second
// or so each; which is 0 or 1.
Track MakeCuckoo(int which);

// "brook.ogg": a 12 s mono loop of running water, a low rush with many
// small bubbles.
Track MakeBrook();

} // namespace soundgen
