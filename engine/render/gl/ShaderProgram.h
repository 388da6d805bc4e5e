#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A shader assembly program after parsing: its version, declarations,
// constant definitions and instructions, with every register reference
// resolved to a type and number. Knows nothing of GLSL; the parser fills it
// and the translator reads it. Plain data.
struct ShaderProgram
{
    // Vertex input usages, numbered as the shader model's declarations
    // number them (position 0 ... sample 13).
    enum Usage : uint8_t
    {
        kUsagePosition = 0,
        kUsageBlendWeight = 1,
        kUsageBlendIndices = 2,
        kUsageNormal = 3,
        kUsagePointSize = 4,
        kUsageTexCoord = 5,
        kUsageTangent = 6,
        kUsageBinormal = 7,
        kUsageTessFactor = 8,
        kUsagePositionT = 9,
        kUsageColor = 10,
        kUsageFog = 11,
        kUsageDepth = 12,
        kUsageSample = 13,
    };

    enum SamplerType : uint8_t
    {
        kSampler2D = 0,
        kSamplerCube = 1,
        kSamplerVolume = 2,
    };

    // register types ----------------------------------------------------

    enum RegisterType : uint8_t
    {
        kTemp,          // r#
        kInput,         // v#: vertex attributes, or the two interpolated colours of a pixel program
        kConst,         // c#
        kAddress,       // a0
        kTexture,       // t#: interpolated texture coordinates (read/write in pixel 1.x)
        kSampler,       // s#
        kConstInt,      // i#
        kConstBool,     // b#
        kLoopCounter,   // aL
        kPositionOut,   // oPos
        kFogOut,        // oFog
        kPointSizeOut,  // oPts
        kColorOut,      // oD#
        kTexCoordOut,   // oT#
        kPixelColorOut, // oC#
        kDepthOut,      // oDepth
        kLabelRegister, // l#
        kRegisterTypeCount
    };

    // Source modifiers; negation is a separate flag and applies last.
    enum SourceModifier : uint8_t
    {
        kModNone,
        kModBias,       // x - 0.5
        kModSignScale,  // 2x - 1 (_bx2)
        kModScale2,     // 2x (_x2, pixel 1.4)
        kModComplement, // 1 - x
        kModAbs,        // |x|
        kModDivideZ,    // texld/texcrd _dz: xy / z
        kModDivideW,    // texld/texcrd _dw: xyz / w
    };

    enum Opcode : uint8_t
    {
        kNop, kMov, kMova, kAdd, kSub, kMul, kMad, kDp3, kDp4, kDp2Add, kRcp, kRsq, kMin, kMax,
        kSlt, kSge, kExp, kExpp, kLog, kLogp, kLit, kDst, kFrc, kM4x4, kM4x3, kM3x4, kM3x3, kM3x2,
        kAbs, kCrs, kLrp, kNrm, kPow, kSinCos, kSgn, kCmp, kCnd,
        kTexld, kTexldp, kTexldb, kTexkill, kTex, kTexCoord, kTexCrd, kPhase,
        kIf, kElse, kEndIf, kRep, kEndRep, kLoop, kEndLoop, kCall, kCallNz, kLabel, kRet,
        kOpcodeCount
    };

    struct Source
    {
        RegisterType type = kTemp;
        uint16_t index = 0;
        uint8_t swizzle[4] = {0, 1, 2, 3};  // component taken for x, y, z, w
        SourceModifier modifier = kModNone;
        bool negate = false;
        // Relative addressing c[base + a0.component] or c[base + aL]; index
        // is then the base.
        bool relative = false;
        RegisterType relativeType = kAddress;   // kAddress or kLoopCounter
        uint8_t relativeComponent = 0;
        // Only for if/callnz on a boolean register.
        bool boolNot = false;
    };

    struct Destination
    {
        RegisterType type = kTemp;
        uint16_t index = 0;
        uint8_t mask = 0xF;      // bit 0 x ... bit 3 w
        bool saturate = false;
        int8_t shift = 0;        // pixel 1.x result scale: 2^shift (_x2 = 1, _d2 = -1)
    };

    struct Instruction
    {
        Opcode opcode = kNop;
        bool coissue = false;     // pixel 1.x '+' pair with the previous instruction
        bool hasDestination = false;
        uint8_t sourceCount = 0;
        int32_t line = 0;
        Destination destination;
        Source sources[4];
    };

    struct Declaration
    {
        RegisterType type = kInput;
        uint16_t index = 0;
        Usage usage = kUsagePosition;  // vertex inputs only
        uint8_t usageIndex = 0;
        SamplerType samplerType = kSampler2D;  // samplers only
        int32_t line = 0;
    };

    // def (floats), defi (integers) and defb (one boolean in value[0]).
    struct Definition
    {
        RegisterType type = kConst;
        uint16_t index = 0;
        float floats[4] = {0, 0, 0, 0};
        int32_t ints[4] = {0, 0, 0, 0};
    };

    // Why a text was refused: the line (1-based, 0 for the program as a
    // whole) and a short reason.
    struct Error
    {
        int32_t line = 0;
        std::string message;
    };

    // Pixel 1.1 to 1.3 are one family ("1.x"); 1.4 differs in registers
    // and texture instructions.
    bool IsPixel() const { return pixel; }
    bool IsVertex() const { return !pixel; }
    bool IsPixel1x() const { return pixel && major == 1; }
    bool IsPixel14() const { return pixel && major == 1 && minor == 4; }

    bool pixel = false;
    uint8_t major = 0;
    uint8_t minor = 0;
    std::vector<Declaration> declarations;
    std::vector<Definition> definitions;
    std::vector<Instruction> instructions;
};
