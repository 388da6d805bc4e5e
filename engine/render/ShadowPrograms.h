#pragma once

// The shader programs of the shadow maps, as assembly texts the renderer
// assembles on first use.
//
// Depth-only vertex programs (drawing a caster into the map): c0-c3 the
// world x light view-projection (the light view-projection alone for the
// skinned one, whose palette from c8 brings the rest pose to the world), the
// wind one with (amplitude, speed, time) in c4 and the family's sway.
//
// The receiving programs: the vertex program writes the clip position from
// c0-c3, the projective shadow-map coordinate t1 from c4-c7 and the shadow
// colour c8 as the vertex colour; the pixel programs compare the depth
// stored in the map (sampler 0) with the pixel's own depth as seen from the
// light and write the shadow colour premultiplied by its alpha times the
// shadow's amount, so that blending One / InverseSourceAlpha gives
// dst x (1 - a) + rgb x a where the pixel is in shadow and dst where it is
// lit. The comparison is written out in the program, so a device whose
// lookup already compares (giving 1 or 0) and one that hands back the
// stored depth both work: in either case lookup - depth >= 0 means lit.
namespace ShadowPrograms
{
// Bones the skinned depth program's palette holds (four registers a bone).
constexpr unsigned kMaxBones = 50;

const char* DepthPlainVertex();
const char* DepthWindVertex();
const char* DepthSkinnedVertex();
const char* ReceiveVertex();
// One lookup at t1: amount 1 - s.
const char* ReceiveOneSamplePixel();
// Five lookups at t1 and at t1 +- one texel (c0) on both axes: amount
// 1 - 0.2 x (sum of the five).
const char* ReceiveFiveSamplePixel();
} // namespace ShadowPrograms
