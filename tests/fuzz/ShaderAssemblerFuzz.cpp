// Feeds arbitrary text to the shader assembler (parser and translator, no
// GL): whatever the bytes, it must refuse them cleanly or hand back a GLSL
// stage, never crash, hang or read out of bounds.
//
// The first byte picks the mode: odd, the rest is the text itself; even,
// the rest picks assembly tokens one byte each, so most inputs get past the
// version line and into instructions, operands and flow control.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/render/gl/ShaderAssembler.h"

namespace
{

const char* const kVersions[] = {"vs_1_1", "vs_2_0", "ps_1_1", "ps_1_3", "ps_1_4", "ps_2_0", "VS.1.1"};

const char* const kTokens[] = {
    // statements
    "\n", "\n", "\n", " ", ", ", ",", "+", "// c\n", "; c\n", "/*", "*/",
    "mov", "mova", "add", "sub", "mul", "mad", "dp3", "dp4", "dp2add", "rcp", "rsq", "min", "max", "slt", "sge",
    "exp", "expp", "log", "logp", "lit", "dst", "frc", "m4x4", "m4x3", "m3x4", "m3x3", "m3x2", "abs", "crs",
    "lrp", "nrm", "pow", "sincos", "sgn", "cmp", "cnd", "texld", "texldp", "texldb", "texkill", "tex",
    "texcoord", "texcrd", "phase", "nop", "if", "else", "endif", "rep", "endrep", "loop", "endloop", "call",
    "callnz", "label", "ret", "_sat", "_pp", "_x2", "_d4", "_x8",
    "dcl_position", "dcl_normal", "dcl_texcoord3", "dcl_color1", "dcl_blendindices", "dcl_tangent",
    "dcl_binormal", "dcl_psize", "dcl", "dcl_2d", "dcl_cube", "dcl_volume", "dcl_centroid", "def", "defi",
    "defb", "true", "false",
    // registers
    "r0", "r1", "r11", "r12", "v0", "v1", "v3", "v15", "v16", "c0", "c7", "c31", "c95", "c96", "c255", "c256",
    "c[a0.x + 8]", "c[a0.w]", "c[aL + 2]", "c4[a0.y]", "c[", "]", "a0", "a0.x", "aL", "t0", "t3", "t7", "s0",
    "s1", "s15", "i0", "i15", "b0", "!b1", "l0", "l1", "l15", "oPos", "oD0", "oD1", "oT0", "oT7", "oFog", "oPts",
    "oC0", "oC3", "oDepth",
    // components and modifiers
    ".x", ".y", ".w", ".xy", ".xyz", ".wzyx", ".a", ".rgb", "-", "1-", "_bias", "_bx2", "_x2", "_abs", "_dw",
    // numbers
    "0", "1", "-2", "0.5", "1e10", "3.4e39", "inf", "nan", "255", "-1.5e-3",
};

std::string Stitch(const uint8_t* data, size_t size)
{
    std::string text;
    if (size == 0)
        return text;
    text = kVersions[data[0] % (sizeof(kVersions) / sizeof(kVersions[0]))];
    text += '\n';
    for (size_t i = 1; i < size; ++i)
    {
        text += kTokens[data[i] % (sizeof(kTokens) / sizeof(kTokens[0]))];
        if (data[i] >= 0xF0)
            text += ' ';
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string text;
    if (data[0] & 1)
        text.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
    else
        text = Stitch(data + 1, size - 1);

    ShaderTranslation translation;
    const int32_t result = ShaderAssembler::Assemble(std::string_view(text), translation);
    // A success is a whole stage; a refusal leaves nothing half made.
    if (result == 0 && translation.source.compare(0, 13, "#version 120\n") != 0)
        std::abort();
    if (result != 0 && !translation.source.empty())
        std::abort();
    return 0;
}
