// Every device value the GL backend passes on, one table per enumeration,
// each checked to have one entry per value.
#include "engine/render/gl/GLDeviceValues.h"

#include <GL/glext.h>

#include <iterator>

namespace
{

constexpr GLenum kBlendFactor[] = {GL_ZERO,      GL_ONE,       GL_SRC_COLOR,           GL_ONE_MINUS_SRC_COLOR,
                                   GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR,
                                   GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};
static_assert(std::size(kBlendFactor) == CountOf<BlendFactor>());

constexpr GLenum kCompare[] = {GL_NEVER, GL_LESS, GL_LEQUAL, GL_EQUAL, GL_NOTEQUAL, GL_GREATER, GL_GEQUAL, GL_ALWAYS};
static_assert(std::size(kCompare) == CountOf<CompareFunction>());

// GL's plain increment and decrement clamp, as the device conventions'.
constexpr GLenum kStencilOperation[] = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INVERT, GL_INCR, GL_DECR};
static_assert(std::size(kStencilOperation) == CountOf<StencilOperation>());

constexpr GLenum kMinFilter[] = {GL_NEAREST,
                                 GL_LINEAR,
                                 GL_NEAREST_MIPMAP_NEAREST,
                                 GL_NEAREST_MIPMAP_LINEAR,
                                 GL_LINEAR_MIPMAP_NEAREST,
                                 GL_LINEAR_MIPMAP_LINEAR};
static_assert(std::size(kMinFilter) == CountOf<TextureFilter>());

// Clamp repeats the edge texel: GL's clamp to edge, not its plain clamp.
constexpr GLenum kAddressMode[] = {GL_CLAMP_TO_EDGE, GL_REPEAT, GL_CLAMP_TO_BORDER};
static_assert(std::size(kAddressMode) == CountOf<AddressMode>());

constexpr GLenum kFogMode[] = {GL_LINEAR, GL_EXP, GL_EXP2};
static_assert(std::size(kFogMode) == CountOf<FogMode>());

constexpr GLenum kShadeMode[] = {GL_FLAT, GL_SMOOTH};
static_assert(std::size(kShadeMode) == CountOf<ShadeMode>());

constexpr GLenum kFillMode[] = {GL_FILL, GL_LINE};
static_assert(std::size(kFillMode) == CountOf<FillMode>());

// Interpolate weighs GL's first source by its third: arguments 1, 2 and 0
// in the stored order are exactly GL's sources 0, 1 and 2.
constexpr GLenum kCombineOperation[] = {GL_REPLACE, GL_MODULATE, GL_ADD, GL_SUBTRACT, GL_ADD_SIGNED, GL_INTERPOLATE};
static_assert(std::size(kCombineOperation) == CountOf<CombineOperation>());

// The first stage's "previous" is the vertex colour in GL too.
constexpr GLenum kCombineArgument[] = {GL_TEXTURE, GL_PRIMARY_COLOR, GL_CONSTANT, GL_PREVIOUS};
static_assert(std::size(kCombineArgument) == CountOf<CombineArgument>());

// [alpha half][modifier]: complement is GL's one-minus, alpha replicate
// reads the source's alpha.
constexpr GLenum kOperand[2][4] = {
    {GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
    {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}};
static_assert(std::size(kOperand[0]) == CountOf<ArgumentModifier>());

constexpr GLenum kGenerationMode[] = {GL_NONE,         GL_REFLECTION_MAP, GL_NORMAL_MAP,
                                      GL_EYE_LINEAR,   GL_SPHERE_MAP,     GL_NONE};
static_assert(std::size(kGenerationMode) == CountOf<TexCoordGeneration>());

constexpr GLenum kPrimitiveType[] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP};
static_assert(std::size(kPrimitiveType) == CountOf<PrimitiveType>());

template <typename E, size_t N>
GLenum Lookup(const GLenum (&table)[N], E value, E fallback)
{
    return table[ToInt(IsKnown(value) ? value : fallback)];
}

} // namespace

GLenum ToGL(BlendFactor value, BlendFactor fallback)
{
    return Lookup(kBlendFactor, value, fallback);
}

GLenum ToGL(CompareFunction value, CompareFunction fallback)
{
    return Lookup(kCompare, value, fallback);
}

GLenum ToGL(StencilOperation value, StencilOperation fallback)
{
    return Lookup(kStencilOperation, value, fallback);
}

GLenum ToGL(AddressMode value, AddressMode fallback)
{
    return Lookup(kAddressMode, value, fallback);
}

GLenum ToGL(FogMode value, FogMode fallback)
{
    return Lookup(kFogMode, value, fallback);
}

GLenum ToGL(ShadeMode value, ShadeMode fallback)
{
    return Lookup(kShadeMode, value, fallback);
}

GLenum ToGL(FillMode value, FillMode fallback)
{
    return Lookup(kFillMode, value, fallback);
}

GLenum ToGL(CombineOperation value, CombineOperation fallback)
{
    return Lookup(kCombineOperation, value, fallback);
}

GLenum ToGL(CombineArgument value, CombineArgument fallback)
{
    return Lookup(kCombineArgument, value, fallback);
}

GLenum ToGL(PrimitiveType value, PrimitiveType fallback)
{
    return Lookup(kPrimitiveType, value, fallback);
}

GLenum ToGLMinFilter(TextureFilter value, TextureFilter fallback)
{
    return Lookup(kMinFilter, value, fallback);
}

GLenum ToGLMagFilter(TextureFilter value)
{
    return value == TextureFilter::Nearest ? GL_NEAREST : GL_LINEAR;
}

GLenum ToGLOperand(ArgumentModifier value, bool alpha)
{
    return Lookup(kOperand[alpha ? 1 : 0], value, ArgumentModifier::None);
}

GLenum ToGLGenerationMode(TexCoordGeneration value)
{
    return Lookup(kGenerationMode, value, TexCoordGeneration::None);
}
