#pragma once
#include <GL/gl.h>

#include "engine/render/DeviceValues.h"

// The GL value of each device value. A number outside the enumeration (an
// effect record may carry one) takes the value of fallback instead.
GLenum ToGL(BlendFactor value, BlendFactor fallback);
GLenum ToGL(CompareFunction value, CompareFunction fallback);
GLenum ToGL(StencilOperation value, StencilOperation fallback);
GLenum ToGL(AddressMode value, AddressMode fallback);
GLenum ToGL(FogMode value, FogMode fallback);
GLenum ToGL(ShadeMode value, ShadeMode fallback);
GLenum ToGL(FillMode value, FillMode fallback);
GLenum ToGL(CombineOperation value, CombineOperation fallback);
GLenum ToGL(CombineArgument value, CombineArgument fallback);
GLenum ToGL(PrimitiveType value, PrimitiveType fallback);
// The minifying filter; GL has no mip-less magnification, so magnifying
// reads Nearest as GL_NEAREST and every other filter as GL_LINEAR.
GLenum ToGLMinFilter(TextureFilter value, TextureFilter fallback);
GLenum ToGLMagFilter(TextureFilter value);
// The operand of a combiner argument on the colour or the alpha half (where
// replicating the alpha changes nothing).
GLenum ToGLOperand(ArgumentModifier value, bool alpha);
// The texture generation mode, GL_NONE for coordinates taken from the set.
GLenum ToGLGenerationMode(TexCoordGeneration value);
