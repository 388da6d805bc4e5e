#pragma once
#include <cstdint>
#include <string>

#include "tools/soundgen/Synth.h"

namespace soundgen
{

// Encodes the track as Ogg Vorbis at quality (-0.1 .. 1) under a fixed
// stream serial and without a date or any other varying comment, so the
// same samples always make the same bytes. False when the file cannot be
// written or the encoder refuses the settings.
bool WriteOgg(const Track& track, float quality, uint32_t serial, const std::string& path);

} // namespace soundgen
