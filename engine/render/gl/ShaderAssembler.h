#pragma once
#include <cstdint>
#include <string_view>

#include "engine/render/gl/ShaderTranslation.h"

// The device layer's shader assembly library: program text as the effects
// write it (vertex 1.1 and 2.0, pixel 1.1 to 1.4 and 2.0) in, one GLSL 1.20
// stage out. Needs no GL context, so programs can be checked and translated
// anywhere; GLShaderProgram compiles the result.
class ShaderAssembler
{
public:
    // 0 with *translation ready to compile. 1 when the text is not a
    // program we can run, after one error line naming the line of the text
    // and the reason; the caller then leaves the shader unbound and draws
    // with fixed function. 3 for a null text, after a warning.
    static int32_t Assemble(const char* text, ShaderTranslation& translation);
    static int32_t Assemble(std::string_view text, ShaderTranslation& translation);
};
