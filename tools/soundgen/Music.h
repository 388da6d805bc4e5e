#pragma once
#include <string>

#include "tools/soundgen/Synth.h"

namespace soundgen
{

// The show's music, "vernalia.ogg": the score in Music.cpp played by a
// flute over marimba arpeggios, a pad and a bass, with a light room, as a
// stereo loop of 56 bars at 96 beats a minute (140 s). Peaks at -3 dBFS.
// False, with the reason in error, when the score does not parse (a bar
// that does not add up to four beats, an unknown note).
bool MakeMusic(Track& out, std::string& error);

// Frames in the music's loop.
uint32_t MusicFrames();

} // namespace soundgen
