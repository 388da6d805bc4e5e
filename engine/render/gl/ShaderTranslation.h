#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/gl/ShaderProgram.h"

// One assembled shader stage as GLSL 1.20 (compatibility profile) plus what
// the renderer must know to feed it. Produced by ShaderAssembler, consumed
// by GLShaderProgram; holds no GL object, so it can be made and kept without
// a context.
//
// The interface a translated stage expects:
//  - Vertex inputs v# are generic attributes named "v#", bound by usage to
//    the locations of AttributeLocation, so a stream of a given usage goes to
//    the same location whatever register the program reads it from.
//  - Float constants are "vc[n]" (vertex) or "pc[n]" (pixel), one vec4 per
//    register, uploaded by register number. Registers given by def in the
//    program are compiled in and ignore uploads, as the shader model has it.
//    Integer and boolean constants of vertex flow control are "vi[n]"
//    (ivec4) and "vb[n]" (bool).
//  - Sampler s# is "s#" and reads texture unit #.
//  - "flipY" (vertex, float): below zero the picture is turned upside down,
//    for drawing into a texture that is later sampled with top-down texture
//    coordinates (the device conventions at the top of Renderer.h). Default
//    0: not turned.
//  - "fogMode" (pixel, int): the fog fixed function blends after the pixel
//    program, 0 none, 1 linear, 2 exponential, 3 exponential
//    squared, from gl_Fog and gl_FogFragCoord. Default 0.
//  - Vertex outputs reach fixed-function fragment processing: oD0
//    gl_FrontColor, oD1 gl_FrontSecondaryColor, oT# gl_TexCoord[#],
//    oFog gl_FogFragCoord (the fog factor itself: fog the pass with
//    GL_LINEAR, start 1, end 0), oPts gl_PointSize (needs
//    GL_VERTEX_PROGRAM_POINT_SIZE). A program that never writes oD0 gives
//    white, one that never writes oD1 black; components an instruction did
//    not write read (0, 0, 0, 1).
//  - Clip-space depth 0..1 becomes GL's -1..1 (z' = 2z - w) in the vertex
//    stage; nothing else has to correct it.
struct ShaderTranslation
{
    struct Attribute
    {
        uint16_t inputRegister;     // v#
        ShaderProgram::Usage usage;
        uint8_t usageIndex;
        int32_t location;           // generic attribute location
    };

    struct Sampler
    {
        uint16_t unit;              // s# and its texture unit
        ShaderProgram::SamplerType type;
    };

    // Generic attribute location for a vertex stream of this usage, or -1
    // when translated programs cannot take it:
    //   position 0, blend weight 1, normal 2, colour 3 and 4 (index 0, 1),
    //   fog 5, point size 6, blend indices 7, texture coordinates 8..15
    //   (index 0..7); tangent shares 5 with fog and binormal 6 with point
    //   size, so a program may not read both of a pair.
    // Location 0 is also what glVertex and glVertexPointer feed.
    static int32_t AttributeLocation(ShaderProgram::Usage usage, uint32_t usageIndex);

    bool pixel = false;
    uint8_t major = 0;
    uint8_t minor = 0;
    std::string source;                 // the whole GLSL text of the stage

    std::vector<Attribute> attributes;  // vertex only, in declaration order
    std::vector<Sampler> samplers;      // pixel only, by unit
    uint32_t constantCount = 0;         // registers in the float constant array (0: none read)
    bool usesIntConstants = false;
    bool usesBoolConstants = false;

    // What a vertex stage writes, so the renderer can set the matching
    // fixed-function state (colour sum, fog, program point size).
    bool writesDiffuse = false;
    bool writesSpecular = false;
    bool writesFog = false;
    bool writesPointSize = false;
    uint8_t texCoordsWritten = 0;       // bit n: oTn
};
