#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

// The named values of the device state. The numbers are fixed: blend
// factors are stored in effect records, and every other number is part of
// what a state block means, so an enumerator is never renumbered. Each
// enumeration a backend maps value by value ends in Count (not a value:
// how many there are), which the backend's tables are checked against.

// Factor a blended colour is weighed by; Inverse is one minus it.
enum class BlendFactor : int32_t
{
    Zero = 0,
    One = 1,
    SourceColour = 2,
    InverseSourceColour = 3,
    SourceAlpha = 4,
    InverseSourceAlpha = 5,
    DestinationColour = 6,
    InverseDestinationColour = 7,
    DestinationAlpha = 8,
    InverseDestinationAlpha = 9,
    Count
};

// Test of the alpha, depth and stencil comparisons: passes when the
// incoming value relates so to the reference (or the stored depth).
enum class CompareFunction : int32_t
{
    Never = 0,
    Less = 1,
    LessEqual = 2,
    Equal = 3,
    NotEqual = 4,
    Greater = 5,
    GreaterEqual = 6,
    Always = 7,
    Count
};

// What a stencil outcome does to the stored value.
enum class StencilOperation : int32_t
{
    Keep = 0,
    Zero = 1,
    Replace = 2,   // with the reference
    Invert = 3,    // bitwise
    Increment = 4, // clamped at the top
    Decrement = 5, // clamped at zero
    Count
};

// Texel filter. Minification takes all six (Mip: the filter between mip
// levels); magnification reads Nearest as nearest and any other as linear.
enum class TextureFilter : int32_t
{
    Nearest = 0,
    Linear = 1,
    NearestMipNearest = 2,
    NearestMipLinear = 3,
    LinearMipNearest = 4,
    LinearMipLinear = 5, // trilinear
    Count
};

// Coordinates outside 0..1.
enum class AddressMode : int32_t
{
    Clamp = 0,  // the edge texel repeats
    Wrap = 1,
    Border = 2, // the stage's border colour
    Count
};

// Fog by distance: linear between start and end, or by density.
enum class FogMode : int32_t
{
    Linear = 0,
    Exponential = 1,
    ExponentialSquared = 2,
    Count
};

enum class ShadeMode : int32_t
{
    Flat = 0,    // the first vertex's colour over the whole face
    Gouraud = 1, // interpolated
    Count
};

enum class FillMode : int32_t
{
    Solid = 0,
    Wireframe = 1, // edges only
    Count
};

// The winding, as the viewer sees it, whose faces are culled.
enum class CullOrder : int32_t
{
    Clockwise = 0,
    CounterClockwise = 1,
};

// The combination a texture stage makes of its texture and the previous
// stage's result; Custom takes the stage's own operation and arguments.
enum class StageCombine : int32_t
{
    Replace = 0,  // the texture
    Decal = 1,    // the texture over the previous result by its alpha
    Modulate = 2,
    Blend = 3,    // from the previous result towards the texture factor by the texture
    Add = 4,
    Custom = 5,
    Count
};

// Operation of a custom stage on its arguments 1, 2 (and 0).
enum class CombineOperation : int32_t
{
    Select = 0,      // argument 1 as it is
    Modulate = 1,
    Add = 2,
    Subtract = 3,    // argument 1 - argument 2
    AddSigned = 4,   // argument 1 + argument 2 - 0.5
    Interpolate = 5, // argument 1 x argument 0 + argument 2 x (1 - argument 0)
    Count
};

// Where a custom stage takes an argument from.
enum class CombineArgument : int32_t
{
    Texture = 0,
    Diffuse = 1,       // the vertex colour, lit when lighting is on
    TextureFactor = 2,
    Previous = 3,      // the previous stage's result; the vertex colour on the first
    Count
};

// How an argument is read before the operation.
enum class ArgumentModifier : int32_t
{
    None = 0,
    Complement = 1,      // one minus it
    AlphaReplicate = 2,  // its alpha in every channel
    ComplementAlpha = 3, // one minus its alpha in every channel
    Count
};

// Where a stage's texture coordinates come from. The generated ones are
// camera-space vectors with three components.
enum class TexCoordGeneration : int32_t
{
    None = 0, // the stage's coordinate set
    CameraReflection = 1,
    CameraNormal = 2,
    CameraPosition = 3,
    SphereMap = 4, // two components
    Projected = 5, // the coordinate set, divided by its last transformed component
    Count
};

// Shader model a device runs programs of; 3 is not used.
enum class ShaderLevel : int32_t
{
    Model1 = 0, // 1.x
    Model2 = 1, // 2.0
    Model3 = 2, // 3.0
    None = 4,   // no programs
};

// How a geometry's indices are read.
enum class PrimitiveType : int32_t
{
    PointList = 0,
    LineList = 1,
    LineStrip = 2,
    TriangleList = 3,
    TriangleStrip = 4,
    Count
};

// The stored number of a value, for streams and log lines.
template <typename E>
constexpr int32_t ToInt(E value)
{
    static_assert(std::is_same_v<std::underlying_type_t<E>, int32_t>, "device values are stored as int32_t");
    return static_cast<int32_t>(value);
}

// A stored number as a value of E. Every number converts: one outside E's
// values is kept as it is, so a record saved again is unchanged, and the
// device draws it with the fallback its mapping names (IsKnown tells).
template <typename E>
constexpr E FromInt(int32_t number)
{
    static_assert(std::is_same_v<std::underlying_type_t<E>, int32_t>, "device values are stored as int32_t");
    return static_cast<E>(number);
}

// Whether value is one of E's named values, 0 .. Count - 1.
template <typename E>
constexpr bool IsKnown(E value)
{
    return ToInt(value) >= 0 && ToInt(value) < ToInt(E::Count);
}

// The number of values of E, for the size checks of mapping tables.
template <typename E>
constexpr size_t CountOf()
{
    return static_cast<size_t>(E::Count);
}
