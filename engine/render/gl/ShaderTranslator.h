#pragma once
#include <cstdint>

#include "engine/render/gl/ShaderProgram.h"
#include "engine/render/gl/ShaderTranslation.h"

// Turns a parsed shader program into one GLSL 1.20 stage with the interface
// described in ShaderTranslation.h. Each instruction keeps the arithmetic of
// the shader model, including the special cases programs lean on:
//  - rcp and rsq of 0 give the largest float (3.4028235e38) rather than an
//    infinity, so products with 0 stay 0; of exactly 1 give exactly 1; rsq
//    takes |x|.
//  - log and logp take |x| and give -3.4028235e38 for 0; pow(x, y) is
//    2^(y * log|x|) with that rule: pow(0, 0) = 1, pow(0, y > 0) = 0,
//    pow(0, y < 0) = +infinity.
//  - lit clamps the power to +-127.9961; y = N.L only above 0, z = (N.H)^p
//    only when both N.L and N.H are above 0, x = w = 1.
//  - expp in vertex 1.1 gives (2^floor(v), v - floor(v), 2^v, 1), in 2.0
//    2^v in every component; logp equals log. Partial precision is computed
//    at full precision, which meets every documented bound.
//  - nrm of a zero vector gives zero (1/length becomes the largest float).
//  - mova, and mov to a0 in 1.1, round to nearest with halves going up
//    (floor(x + 0.5)).
//  - sincos writes only x (cosine) and y (sine); z and w keep their values.
//  - Scalar instructions read the first component of the source swizzle,
//    so an unswizzled source gives x.
//  - A relative constant read outside the register file gives (0, 0, 0, 0).
//  - Pixel 1.x constants are clamped to -1..1 as they are read; texcoord
//    clamps to 0..1; texkill tests x, y and z.
class ShaderTranslator
{
public:
    // 0 with *translation filled; 1 with *error (line and reason) when the
    // program uses what it has not declared, nests flow control wrongly,
    // reads a stream usage no attribute location takes, and the like.
    static int32_t Translate(const ShaderProgram& program, ShaderTranslation& translation, ShaderProgram::Error& error);
};
