#include "engine/render/gl/ShaderTranslator.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

using Program = ShaderProgram;

// Helper functions a translated stage may need; each is written out once,
// only when an instruction uses it.
enum Helper : uint32_t
{
    kHelperMax = 1u << 0,
    kHelperRcp = 1u << 1,
    kHelperRsq = 1u << 2,
    kHelperLog = 1u << 3,
    kHelperPow = 1u << 4,
    kHelperNrm = 1u << 5,
    kHelperLit = 1u << 6,
    kHelperExpp = 1u << 7,
};

const char* const kHelperSource[] = {
    "const float qMax = 3.402823466e38;\n",
    "float qRcp(float f)\n{\n    return f == 0.0 ? qMax : (f == 1.0 ? 1.0 : 1.0 / f);\n}\n",
    "float qRsq(float f)\n{\n    f = abs(f);\n    return f == 0.0 ? qMax : (f == 1.0 ? 1.0 : inversesqrt(f));\n}\n",
    "float qLog(float f)\n{\n    f = abs(f);\n    return f == 0.0 ? -qMax : log2(f);\n}\n",
    "float qPow(float base, float power)\n{\n    return exp2(power * qLog(base));\n}\n",
    "vec4 qNrm(vec4 v)\n{\n    float f = dot(v.xyz, v.xyz);\n    return v * (f == 0.0 ? qMax : inversesqrt(f));\n}\n",
    "vec4 qLit(vec4 s)\n{\n    float power = clamp(s.w, -127.9961, 127.9961);\n    vec4 d = vec4(1.0, 0.0, 0.0, 1.0);\n"
    "    if (s.x > 0.0)\n    {\n        d.y = s.x;\n        if (s.y > 0.0)\n            d.z = pow(s.y, power);\n    }\n"
    "    return d;\n}\n",
    "vec4 qExpp(float v)\n{\n    float whole = floor(v);\n    return vec4(exp2(whole), v - whole, exp2(v), 1.0);\n}\n",
};

const char kComponents[] = "xyzw";

std::string MaskText(uint8_t mask)
{
    std::string text;
    for (int i = 0; i < 4; ++i)
        if (mask & (1u << i))
            text += kComponents[i];
    return text;
}

// Text that reads back as exactly this float in GLSL (nine significant
// digits always do).
std::string FloatText(float value)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    std::string text = buffer;
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

std::string Number(int value) { return std::to_string(value); }

class Translator
{
public:
    Translator(const Program& program, ShaderTranslation& out, Program::Error& error)
        : program(program), out(out), error(error)
    {
    }

    bool Run();

private:
    struct Block
    {
        Program::Opcode opener;
        bool sawElse;
        int depth;      // numbers the block's own variables
    };

    bool Fail(int32_t line, const std::string& message)
    {
        error.line = line;
        error.message = message;
        return false;
    }

    bool Declarations();
    bool Instruction(size_t at);
    bool FlowControl(const Program::Instruction& instruction);
    bool Compute(const Program::Instruction& instruction, const char* tag, std::string& code, uint8_t& mask);
    bool Store(const Program::Instruction& instruction, const char* tag, uint8_t mask, std::string& code);
    bool SourceExpression(const Program::Instruction& instruction, int which, int row, std::string& text);
    bool RegisterExpression(const Program::Instruction& instruction, const Program::Source& source, int row,
                            std::string& text);
    bool Sampler(const Program::Instruction& instruction, uint16_t unit, Program::SamplerType& type);
    bool BoolExpression(const Program::Instruction& instruction, const Program::Source& source, std::string& text);
    bool IntExpression(const Program::Instruction& instruction, const Program::Source& source, std::string& text);
    void Emit(const std::string& code);

    std::string Header() const;
    std::string MainFunction() const;

    uint32_t ConstantLimit() const
    {
        if (!program.pixel)
            return program.major == 1 ? 96 : 256;
        return program.major == 2 ? 32 : 8;
    }

    const char* ConstantArray() const { return program.pixel ? "pc" : "vc"; }

    const Program& program;
    ShaderTranslation& out;
    Program::Error& error;

    std::string functions;          // run() and the label subroutines
    std::vector<Block> blocks;
    int nextBlock = 0;
    uint32_t helpers = 0;

    const Program::Definition* floatDefinitions[256] = {};
    const Program::Definition* intDefinitions[16] = {};
    const Program::Definition* boolDefinitions[16] = {};
    const Program::Declaration* inputDeclarations[16] = {};
    const Program::Declaration* textureDeclarations[8] = {};
    const Program::Declaration* samplerDeclarations[16] = {};

    uint32_t tempsUsed = 0;
    uint32_t texturesUsed = 0;       // pixel 1.1-1.3 t# variables
    int32_t samplerTypes[16];        // -1 unused
    uint32_t outputsWritten = 0;     // bits by output kind, see OutputBit
    uint32_t labelsDefined = 0;
    uint32_t labelsCalled = 0;
    int32_t firstCallLine[16] = {};
    int32_t highestConstant = -1;
    bool relativeUsed = false;
    bool addressUsed = false;
    bool loopCounterUsed = false;
    int loopDepth = 0;
};

enum OutputBit : uint32_t
{
    kOutPosition = 1u << 0,
    kOutFog = 1u << 1,
    kOutPointSize = 1u << 2,
    kOutColor0 = 1u << 3,    // oD0, oD1
    kOutTexCoord0 = 1u << 5, // oT0..oT7
    kOutPixel0 = 1u << 13,   // oC0..oC3
    kOutDepth = 1u << 17,
};

bool Translator::Declarations()
{
    for (int i = 0; i < 16; ++i)
        samplerTypes[i] = -1;
    for (const Program::Definition& definition : program.definitions)
    {
        if (definition.type == Program::kConst && definition.index < 256)
        {
            for (float value : definition.floats)
                if (!std::isfinite(value))
                    return Fail(0, "бесконечность или не-число в определении c" + Number(definition.index));
            floatDefinitions[definition.index] = &definition;
        }
        else if (definition.type == Program::kConstInt && definition.index < 16)
            intDefinitions[definition.index] = &definition;
        else if (definition.type == Program::kConstBool && definition.index < 16)
            boolDefinitions[definition.index] = &definition;
    }
    for (const Program::Declaration& declaration : program.declarations)
    {
        if (declaration.type == Program::kInput && declaration.index < 16)
        {
            inputDeclarations[declaration.index] = &declaration;
            if (program.pixel)
                continue;
            const int32_t location = ShaderTranslation::AttributeLocation(declaration.usage, declaration.usageIndex);
            if (location < 0)
                return Fail(declaration.line, "вход этого назначения не поддерживается: v" +
                                                  Number(declaration.index));
            for (const ShaderTranslation::Attribute& other : out.attributes)
                if (other.location == location)
                    return Fail(declaration.line, "входы v" + Number(other.inputRegister) + " и v" +
                                                      Number(declaration.index) + " занимают один атрибут");
            out.attributes.push_back({declaration.index, declaration.usage, declaration.usageIndex, location});
        }
        else if (declaration.type == Program::kTexture && declaration.index < 8)
            textureDeclarations[declaration.index] = &declaration;
        else if (declaration.type == Program::kSampler && declaration.index < 16)
            samplerDeclarations[declaration.index] = &declaration;
    }
    return true;
}

bool Translator::Run()
{
    out = ShaderTranslation();
    out.pixel = program.pixel;
    out.major = program.major;
    out.minor = program.minor;
    if (!Declarations())
        return false;

    functions = "void run()\n{\n";
    for (size_t i = 0; i < program.instructions.size(); ++i)
    {
        const Program::Instruction& instruction = program.instructions[i];
        // The second of a co-issued pair went out with the first.
        if (instruction.coissue)
            continue;
        if (!Instruction(i))
            return false;
    }
    if (!blocks.empty())
    {
        const int32_t lastLine = program.instructions.empty() ? 0 : program.instructions.back().line;
        return Fail(lastLine, "блок управления не закрыт в конце программы");
    }
    functions += "}\n";
    for (int label = 0; label < 16; ++label)
        if ((labelsCalled & (1u << label)) && !(labelsDefined & (1u << label)))
            return Fail(firstCallLine[label], "вызов неопределённой метки l" + Number(label));

    if (!program.pixel)
        out.constantCount = relativeUsed ? ConstantLimit() : static_cast<uint32_t>(highestConstant + 1);
    else
        out.constantCount = static_cast<uint32_t>(highestConstant + 1);
    for (uint16_t unit = 0; unit < 16; ++unit)
        if (samplerTypes[unit] >= 0)
            out.samplers.push_back({unit, static_cast<Program::SamplerType>(samplerTypes[unit])});
    out.writesDiffuse = outputsWritten & kOutColor0;
    out.writesSpecular = outputsWritten & (kOutColor0 << 1);
    out.writesFog = outputsWritten & kOutFog;
    out.writesPointSize = outputsWritten & kOutPointSize;
    out.texCoordsWritten = static_cast<uint8_t>((outputsWritten / kOutTexCoord0) & 0xFF);

    out.source = Header();
    for (int i = 0; i < 8; ++i)
        if (helpers & (1u << i))
            out.source += kHelperSource[i];
    for (int label = 0; label < 16; ++label)
        if (labelsDefined & (1u << label))
            out.source += "void label" + Number(label) + "();\n";
    out.source += functions;
    out.source += MainFunction();
    return true;
}

void Translator::Emit(const std::string& code)
{
    // Four spaces per open block, one level for the function itself.
    const std::string indent(4 * (blocks.size() + 1), ' ');
    size_t from = 0;
    while (from < code.size())
    {
        size_t end = code.find('\n', from);
        if (end == std::string::npos)
            end = code.size();
        functions += indent;
        functions.append(code, from, end - from);
        functions += '\n';
        from = end + 1;
    }
}

bool Translator::Instruction(size_t at)
{
    const Program::Instruction& first = program.instructions[at];
    // A co-issued partner computes from the same register values, so both
    // results are formed before either is stored.
    const Program::Instruction* second = nullptr;
    if (at + 1 < program.instructions.size() && program.instructions[at + 1].coissue)
        second = &program.instructions[at + 1];
    if (second && (!first.hasDestination || !second->hasDestination))
        return Fail(second->line, "эту инструкцию нельзя выполнять парой");
    switch (first.opcode)
    {
    case Program::kNop:
    case Program::kPhase:
        return true;
    case Program::kIf:
    case Program::kElse:
    case Program::kEndIf:
    case Program::kRep:
    case Program::kEndRep:
    case Program::kLoop:
    case Program::kEndLoop:
    case Program::kCall:
    case Program::kCallNz:
    case Program::kLabel:
    case Program::kRet:
        return FlowControl(first);
    case Program::kTexkill:
    {
        const Program::Source& source = first.sources[0];
        std::string coordinate;
        if (program.IsPixel1x() && !program.IsPixel14())
        {
            // 1.1 to 1.3 test the coordinate set, whatever t# now holds.
            if (source.type != Program::kTexture || source.negate || source.modifier != Program::kModNone)
                return Fail(first.line, "texkill ожидает регистр t#");
            coordinate = "gl_TexCoord[" + Number(source.index) + "]";
        }
        else if (!SourceExpression(first, 0, 0, coordinate))
            return false;
        Emit("if (any(lessThan((" + coordinate + ").xyz, vec3(0.0))))\n    discard;");
        return true;
    }
    default:
        break;
    }

    std::string code = "{\n";
    uint8_t firstMask = 0, secondMask = 0;
    if (!Compute(first, "x", code, firstMask))
        return false;
    if (second && !Compute(*second, "y", code, secondMask))
        return false;
    if (!Store(first, "x", firstMask, code))
        return false;
    if (second && !Store(*second, "y", secondMask, code))
        return false;
    code += "}";
    Emit(code);
    return true;
}

bool Translator::BoolExpression(const Program::Instruction& instruction, const Program::Source& source,
                                std::string& text)
{
    if (source.type != Program::kConstBool)
        return Fail(instruction.line, "ожидается логическая константа b#");
    if (const Program::Definition* definition = boolDefinitions[source.index])
        text = definition->ints[0] ? "true" : "false";
    else
    {
        text = "vb[" + Number(source.index) + "]";
        out.usesBoolConstants = true;
    }
    if (source.boolNot)
        text = "!" + text;
    return true;
}

bool Translator::IntExpression(const Program::Instruction& instruction, const Program::Source& source,
                               std::string& text)
{
    if (source.type != Program::kConstInt || source.negate || source.relative)
        return Fail(instruction.line, "ожидается целая константа i#");
    if (intDefinitions[source.index])
        text = "vid" + Number(source.index);
    else
    {
        text = "vi[" + Number(source.index) + "]";
        out.usesIntConstants = true;
    }
    return true;
}

bool Translator::FlowControl(const Program::Instruction& instruction)
{
    const Program::Source& source = instruction.sources[0];
    switch (instruction.opcode)
    {
    case Program::kIf:
    {
        std::string condition;
        if (!BoolExpression(instruction, source, condition))
            return false;
        Emit("if (" + condition + ")\n{");
        blocks.push_back({Program::kIf, false, nextBlock++});
        return true;
    }
    case Program::kElse:
        if (blocks.empty() || blocks.back().opener != Program::kIf || blocks.back().sawElse)
            return Fail(instruction.line, "else без if");
        blocks.back().sawElse = true;
        blocks.pop_back();
        Emit("}\nelse\n{");
        blocks.push_back({Program::kIf, true, nextBlock++});
        return true;
    case Program::kEndIf:
        if (blocks.empty() || blocks.back().opener != Program::kIf)
            return Fail(instruction.line, "endif без if");
        blocks.pop_back();
        Emit("}");
        return true;
    case Program::kRep:
    case Program::kLoop:
    {
        const bool isLoop = instruction.opcode == Program::kLoop;
        if (isLoop && source.type != Program::kLoopCounter)
            return Fail(instruction.line, "loop ожидает aL первым операндом");
        std::string count;
        if (!IntExpression(instruction, isLoop ? instruction.sources[1] : source, count))
            return false;
        const std::string n = Number(nextBlock);
        // Counts run 0..255 as the shader model has them; the loop counter of
        // an outer loop comes back when an inner one ends.
        std::string code = "{\n";
        code += "    ivec4 q" + n + " = " + count + ";\n";
        code += "    int n" + n + " = q" + n + ".x < 0 ? 0 : (q" + n + ".x > 255 ? 255 : q" + n + ".x);\n";
        if (isLoop)
        {
            code += "    int saved" + n + " = aL;\n";
            code += "    aL = q" + n + ".y;\n";
            loopCounterUsed = true;
            ++loopDepth;
        }
        code += "    for (int k" + n + " = 0; k" + n + " < n" + n + "; ++k" + n + ")\n    {";
        Emit(code);
        blocks.push_back({instruction.opcode, false, nextBlock++});
        // Two levels of braces were opened; Emit indents by block count.
        blocks.push_back({Program::kNop, false, -1});
        return true;
    }
    case Program::kEndRep:
    case Program::kEndLoop:
    {
        const Program::Opcode opener = instruction.opcode == Program::kEndRep ? Program::kRep : Program::kLoop;
        if (blocks.size() < 2 || blocks[blocks.size() - 2].opener != opener)
            return Fail(instruction.line, instruction.opcode == Program::kEndRep ? "endrep без rep" : "endloop без loop");
        blocks.pop_back();
        const std::string n = Number(blocks.back().depth);
        blocks.pop_back();
        if (opener == Program::kLoop)
        {
            Emit("        aL += q" + n + ".z;\n    }\n    aL = saved" + n + ";\n}");
            --loopDepth;
        }
        else
            Emit("    }\n}");
        return true;
    }
    case Program::kCall:
    case Program::kCallNz:
    {
        if (source.type != Program::kLabelRegister)
            return Fail(instruction.line, "ожидается метка l#");
        std::string call = "label" + Number(source.index) + "();";
        if (instruction.opcode == Program::kCallNz)
        {
            std::string condition;
            if (!BoolExpression(instruction, instruction.sources[1], condition))
                return false;
            call = "if (" + condition + ")\n    " + call;
        }
        if (!(labelsCalled & (1u << source.index)))
            firstCallLine[source.index] = instruction.line;
        labelsCalled |= 1u << source.index;
        Emit(call);
        return true;
    }
    case Program::kLabel:
        if (source.type != Program::kLabelRegister)
            return Fail(instruction.line, "ожидается метка l#");
        if (!blocks.empty())
            return Fail(instruction.line, "метка внутри блока управления");
        if (labelsDefined & (1u << source.index))
            return Fail(instruction.line, "метка l" + Number(source.index) + " определена повторно");
        labelsDefined |= 1u << source.index;
        functions += "}\n\nvoid label" + Number(source.index) + "()\n{\n";
        return true;
    case Program::kRet:
        Emit("return;");
        return true;
    default:
        return Fail(instruction.line, "внутренняя ошибка транслятора");
    }
}

bool Translator::RegisterExpression(const Program::Instruction& instruction, const Program::Source& source, int row,
                                    std::string& text)
{
    const uint16_t index = static_cast<uint16_t>(source.index + row);
    switch (source.type)
    {
    case Program::kTemp:
        tempsUsed |= 1u << index;
        text = "r" + Number(index);
        return true;
    case Program::kInput:
        if (program.IsPixel1x())
        {
            text = index == 0 ? "gl_Color" : "gl_SecondaryColor";
            return true;
        }
        if (!inputDeclarations[index])
            return Fail(instruction.line, "входной регистр v" + Number(index) + " не объявлен");
        text = program.pixel ? (index == 0 ? "gl_Color" : "gl_SecondaryColor") : "v" + Number(index);
        return true;
    case Program::kConst:
    {
        if (index >= ConstantLimit())
            return Fail(instruction.line, "строки матрицы выходят за пределы констант");
        if (source.relative)
        {
            if (source.relativeType == Program::kLoopCounter)
            {
                if (loopDepth == 0)
                    return Fail(instruction.line, "aL вне цикла loop");
                text = "vcAt(aL + " + Number(index) + ")";
            }
            else
            {
                addressUsed = true;
                text = std::string("vcAt(a0.") + kComponents[source.relativeComponent] + " + " + Number(index) + ")";
            }
            relativeUsed = true;
            return true;
        }
        if (floatDefinitions[index])
            text = (program.pixel ? "pd" : "vd") + Number(index);
        else
        {
            text = ConstantArray() + std::string("[") + Number(index) + "]";
            if (static_cast<int32_t>(index) > highestConstant)
                highestConstant = index;
        }
        if (program.IsPixel1x())
            text = "clamp(" + text + ", -1.0, 1.0)";
        return true;
    }
    case Program::kTexture:
        if (program.IsPixel1x() && !program.IsPixel14())
        {
            texturesUsed |= 1u << index;
            text = "t" + Number(index);
            return true;
        }
        if (!program.IsPixel14() && !textureDeclarations[index])
            return Fail(instruction.line, "регистр t" + Number(index) + " не объявлен");
        text = "gl_TexCoord[" + Number(index) + "]";
        return true;
    case Program::kAddress:
        return Fail(instruction.line, "регистр a0 нельзя читать");
    default:
        return Fail(instruction.line, "этот регистр нельзя читать здесь");
    }
}

bool Translator::SourceExpression(const Program::Instruction& instruction, int which, int row, std::string& text)
{
    const Program::Source& source = instruction.sources[which];
    if (source.boolNot)
        return Fail(instruction.line, "'!' здесь недопустим");
    std::string base;
    if (!RegisterExpression(instruction, source, row, base))
        return false;
    if (source.swizzle[0] != 0 || source.swizzle[1] != 1 || source.swizzle[2] != 2 || source.swizzle[3] != 3)
    {
        base += '.';
        for (uint8_t component : source.swizzle)
            base += kComponents[component];
    }
    switch (source.modifier)
    {
    case Program::kModNone: text = base; break;
    case Program::kModBias: text = "(" + base + " - 0.5)"; break;
    case Program::kModSignScale: text = "(2.0 * " + base + " - 1.0)"; break;
    case Program::kModScale2: text = "(2.0 * " + base + ")"; break;
    case Program::kModComplement: text = "(1.0 - " + base + ")"; break;
    case Program::kModAbs: text = "abs(" + base + ")"; break;
    case Program::kModDivideZ: text = "vec4(" + base + ".xy / " + base + ".z, 1.0, 1.0)"; break;
    case Program::kModDivideW: text = "vec4(" + base + ".xyz / " + base + ".w, 1.0)"; break;
    }
    if (source.negate)
        text = "(-" + text + ")";
    return true;
}

bool Translator::Sampler(const Program::Instruction& instruction, uint16_t unit, Program::SamplerType& type)
{
    if (unit >= 16)
        return Fail(instruction.line, "неверный номер текстуры");
    if (program.major == 2)
    {
        if (!samplerDeclarations[unit])
            return Fail(instruction.line, "регистр s" + Number(unit) + " не объявлен");
        type = samplerDeclarations[unit]->samplerType;
    }
    else
        type = Program::kSampler2D;   // 1.x has no declarations; flat textures
    samplerTypes[unit] = type;
    return true;
}

bool Translator::Compute(const Program::Instruction& instruction, const char* tag, std::string& code, uint8_t& mask)
{
    using P = Program;
    const std::string t = tag;
    mask = instruction.destination.mask;
    const P::Opcode op = instruction.opcode;

    // Which sources go into temporaries: the matrix operand is read row by
    // row, a sampler is not a value, and the scratch operands of sincos and
    // sgn in 2.0 play no part.
    int valueSources = instruction.sourceCount;
    const bool matrix = op == P::kM4x4 || op == P::kM4x3 || op == P::kM3x4 || op == P::kM3x3 || op == P::kM3x2;
    if (matrix || op == P::kSinCos || op == P::kSgn || op == P::kTexldp || op == P::kTexldb ||
        (op == P::kTexld && program.major == 2))
        valueSources = 1;
    for (int i = 0; i < valueSources; ++i)
    {
        std::string text;
        if (!SourceExpression(instruction, i, 0, text))
            return false;
        code += "    vec4 " + t + Number(i) + " = " + text + ";\n";
    }
    const std::string s0 = t + "0", s1 = t + "1", s2 = t + "2";
    std::string result;

    auto rows = [&](int count, bool three, std::string& text) {
        const P::Source& matrixSource = instruction.sources[1];
        if (matrixSource.type != P::kConst)
            return Fail(instruction.line, "матрица должна быть в регистрах констант");
        if (matrixSource.negate || matrixSource.modifier != P::kModNone)
            return Fail(instruction.line, "модификатор у матрицы недопустим");
        text = "vec4(";
        for (int row = 0; row < 4; ++row)
        {
            if (row > 0)
                text += ", ";
            if (row >= count)
            {
                text += "0.0";
                continue;
            }
            std::string rowText;
            if (!SourceExpression(instruction, 1, row, rowText))
                return false;
            text += three ? "dot(" + s0 + ".xyz, (" + rowText + ").xyz)" : "dot(" + s0 + ", " + rowText + ")";
        }
        text += ")";
        return true;
    };
    auto select = [&](const char* test) {
        std::string text = "vec4(";
        for (int i = 0; i < 4; ++i)
        {
            const char c = kComponents[i];
            if (i > 0)
                text += ", ";
            text += s0 + "." + c + test + " ? " + s1 + "." + c + " : " + s2 + "." + c;
        }
        return text + ")";
    };

    switch (op)
    {
    case P::kMov: result = s0; break;
    case P::kMova:
        if (instruction.destination.type != P::kAddress)
            return Fail(instruction.line, "mova пишет только в a0");
        result = s0;
        break;
    case P::kAdd: result = s0 + " + " + s1; break;
    case P::kSub: result = s0 + " - " + s1; break;
    case P::kMul: result = s0 + " * " + s1; break;
    case P::kMad: result = s0 + " * " + s1 + " + " + s2; break;
    case P::kDp3: result = "vec4(dot(" + s0 + ".xyz, " + s1 + ".xyz))"; break;
    case P::kDp4: result = "vec4(dot(" + s0 + ", " + s1 + "))"; break;
    case P::kDp2Add: result = "vec4(" + s0 + ".x * " + s1 + ".x + " + s0 + ".y * " + s1 + ".y + " + s2 + ".x)"; break;
    case P::kRcp: result = "vec4(qRcp(" + s0 + ".x))"; helpers |= kHelperMax | kHelperRcp; break;
    case P::kRsq: result = "vec4(qRsq(" + s0 + ".x))"; helpers |= kHelperMax | kHelperRsq; break;
    case P::kMin: result = "min(" + s0 + ", " + s1 + ")"; break;
    case P::kMax: result = "max(" + s0 + ", " + s1 + ")"; break;
    case P::kSlt: result = "vec4(lessThan(" + s0 + ", " + s1 + "))"; break;
    case P::kSge: result = "vec4(greaterThanEqual(" + s0 + ", " + s1 + "))"; break;
    case P::kExp: result = "vec4(exp2(" + s0 + ".x))"; break;
    case P::kExpp:
        if (program.major == 1)
        {
            result = "qExpp(" + s0 + ".x)";
            helpers |= kHelperExpp;
        }
        else
            result = "vec4(exp2(" + s0 + ".x))";
        break;
    case P::kLog:
    case P::kLogp: result = "vec4(qLog(" + s0 + ".x))"; helpers |= kHelperMax | kHelperLog; break;
    case P::kLit: result = "qLit(" + s0 + ")"; helpers |= kHelperLit; break;
    case P::kDst: result = "vec4(1.0, " + s0 + ".y * " + s1 + ".y, " + s0 + ".z, " + s1 + ".w)"; break;
    case P::kFrc: result = s0 + " - floor(" + s0 + ")"; break;
    case P::kM4x4: if (!rows(4, false, result)) return false; break;
    case P::kM4x3: if (!rows(3, false, result)) return false; mask &= 0x7; break;
    case P::kM3x4: if (!rows(4, true, result)) return false; break;
    case P::kM3x3: if (!rows(3, true, result)) return false; mask &= 0x7; break;
    case P::kM3x2: if (!rows(2, true, result)) return false; mask &= 0x3; break;
    case P::kAbs: result = "abs(" + s0 + ")"; break;
    case P::kCrs: result = "vec4(cross(" + s0 + ".xyz, " + s1 + ".xyz), 0.0)"; mask &= 0x7; break;
    case P::kLrp: result = "mix(" + s2 + ", " + s1 + ", " + s0 + ")"; break;
    case P::kNrm: result = "qNrm(" + s0 + ")"; helpers |= kHelperMax | kHelperNrm; break;
    case P::kPow: result = "vec4(qPow(" + s0 + ".x, " + s1 + ".x))"; helpers |= kHelperMax | kHelperLog | kHelperPow; break;
    case P::kSinCos: result = "vec4(cos(" + s0 + ".x), sin(" + s0 + ".x), 0.0, 0.0)"; mask &= 0x3; break;
    case P::kSgn: result = "sign(" + s0 + ")"; break;
    case P::kCmp: result = select(" >= 0.0"); break;
    case P::kCnd: result = select(" > 0.5"); break;
    case P::kTexld:
    case P::kTexldp:
    case P::kTexldb:
    {
        uint16_t unit = 0;
        if (program.major == 2)
        {
            if (instruction.sources[1].type != P::kSampler)
                return Fail(instruction.line, "второй операнд выборки должен быть s#");
            unit = instruction.sources[1].index;
        }
        else
        {
            // Pixel 1.4: the destination number names the sampler.
            if (instruction.destination.type != P::kTemp)
                return Fail(instruction.line, "texld пишет только в r#");
            if (instruction.sources[0].type != P::kTexture && instruction.sources[0].type != P::kTemp)
                return Fail(instruction.line, "texld читает координаты из t# или r#");
            unit = instruction.destination.index;
        }
        P::SamplerType type;
        if (!Sampler(instruction, unit, type))
            return false;
        const std::string sampler = "s" + Number(unit);
        const bool projected = op == P::kTexldp, biased = op == P::kTexldb;
        if (type == P::kSampler2D)
            result = projected ? "texture2DProj(" + sampler + ", " + s0 + ")"
                               : "texture2D(" + sampler + ", " + s0 + ".xy" + (biased ? ", " + s0 + ".w)" : ")");
        else if (type == P::kSamplerCube)
            result = "textureCube(" + sampler + ", " + s0 + ".xyz" + (biased ? ", " + s0 + ".w)" : ")");
        else
            result = projected ? "texture3DProj(" + sampler + ", " + s0 + ")"
                               : "texture3D(" + sampler + ", " + s0 + ".xyz" + (biased ? ", " + s0 + ".w)" : ")");
        break;
    }
    case P::kTex:
    case P::kTexCoord:
    {
        if (instruction.destination.type != P::kTexture)
            return Fail(instruction.line, "tex и texcoord пишут только в t#");
        const uint16_t stage = instruction.destination.index;
        const std::string coordinate = "gl_TexCoord[" + Number(stage) + "]";
        if (op == P::kTexCoord)
            result = "vec4(clamp(" + coordinate + ".xyz, 0.0, 1.0), 1.0)";
        else
        {
            P::SamplerType type;
            if (!Sampler(instruction, stage, type))
                return false;
            result = "texture2D(s" + Number(stage) + ", " + coordinate + ".xy)";
        }
        break;
    }
    case P::kTexCrd:
        if (instruction.sources[0].type != P::kTexture)
            return Fail(instruction.line, "texcrd читает только t#");
        result = "vec4(" + s0 + ".xyz, 1.0)";
        break;
    default:
        return Fail(instruction.line, "внутренняя ошибка транслятора");
    }

    const P::Destination& destination = instruction.destination;
    if (destination.type == P::kAddress && op != P::kMov && op != P::kMova)
        return Fail(instruction.line, "в a0 пишут только mov и mova");
    if (destination.shift != 0)
    {
        const float scale = destination.shift > 0 ? static_cast<float>(1 << destination.shift)
                                                  : 1.0f / static_cast<float>(1 << -destination.shift);
        result = "(" + result + ") * " + FloatText(scale);
    }
    if (destination.saturate)
        result = "clamp(" + result + ", 0.0, 1.0)";
    code += "    vec4 " + t + "r = " + result + ";\n";
    return true;
}

bool Translator::Store(const Program::Instruction& instruction, const char* tag, uint8_t mask, std::string& code)
{
    using P = Program;
    const P::Destination& destination = instruction.destination;
    const std::string value = std::string(tag) + "r";
    std::string name;
    switch (destination.type)
    {
    case P::kTemp:
        tempsUsed |= 1u << destination.index;
        name = "r" + Number(destination.index);
        break;
    case P::kTexture:
        if (!program.IsPixel1x() || program.IsPixel14())
            return Fail(instruction.line, "в регистр t# писать нельзя");
        texturesUsed |= 1u << destination.index;
        name = "t" + Number(destination.index);
        break;
    case P::kAddress:
    {
        // Round to nearest, halves up, into the integer address register.
        addressUsed = true;
        if (mask == 0)
            return true;
        const std::string m = mask == 0xF ? "" : "." + MaskText(mask);
        code += "    a0" + m + " = ivec4(floor(" + value + " + 0.5))" + m + ";\n";
        return true;
    }
    case P::kPositionOut: name = "oPos"; outputsWritten |= kOutPosition; break;
    case P::kFogOut: name = "oFog"; outputsWritten |= kOutFog; break;
    case P::kPointSizeOut: name = "oPts"; outputsWritten |= kOutPointSize; break;
    case P::kColorOut:
        name = "oD" + Number(destination.index);
        outputsWritten |= kOutColor0 << destination.index;
        break;
    case P::kTexCoordOut:
        name = "oT" + Number(destination.index);
        outputsWritten |= kOutTexCoord0 << destination.index;
        break;
    case P::kPixelColorOut:
        name = "oC" + Number(destination.index);
        outputsWritten |= kOutPixel0 << destination.index;
        break;
    case P::kDepthOut: name = "oDepth"; outputsWritten |= kOutDepth; break;
    default:
        return Fail(instruction.line, "в этот регистр писать нельзя");
    }
    if (mask == 0)
        return true;
    if (mask == 0xF)
        code += "    " + name + " = " + value + ";\n";
    else
        code += "    " + name + "." + MaskText(mask) + " = " + value + "." + MaskText(mask) + ";\n";
    return true;
}

std::string Translator::Header() const
{
    std::string text = "#version 120\n// ";
    text += program.pixel ? "ps_" : "vs_";
    text += Number(program.major) + "_" + Number(program.minor) + "\n";
    if (out.constantCount > 0)
        text += std::string("uniform vec4 ") + ConstantArray() + "[" + Number(static_cast<int>(out.constantCount)) + "];\n";
    if (!program.pixel)
    {
        if (out.usesIntConstants)
            text += "uniform ivec4 vi[16];\n";
        if (out.usesBoolConstants)
            text += "uniform bool vb[16];\n";
        text += "uniform float flipY;\n";
        for (const ShaderTranslation::Attribute& attribute : out.attributes)
            text += "attribute vec4 v" + Number(attribute.inputRegister) + ";\n";
    }
    else
    {
        for (const ShaderTranslation::Sampler& sampler : out.samplers)
        {
            static const char* const kTypes[] = {"sampler2D", "samplerCube", "sampler3D"};
            text += std::string("uniform ") + kTypes[sampler.type] + " s" + Number(sampler.unit) + ";\n";
        }
        text += "uniform int fogMode;\n";
    }
    for (const Program::Definition& definition : program.definitions)
    {
        if (definition.type == Program::kConst)
        {
            text += std::string("const vec4 ") + (program.pixel ? "pd" : "vd") + Number(definition.index) + " = vec4(";
            for (int i = 0; i < 4; ++i)
                text += (i ? ", " : "") + FloatText(definition.floats[i]);
            text += ");\n";
        }
        else if (definition.type == Program::kConstInt)
        {
            text += "const ivec4 vid" + Number(definition.index) + " = ivec4(";
            for (int i = 0; i < 4; ++i)
                text += (i ? ", " : "") + Number(definition.ints[i]);
            text += ");\n";
        }
    }
    for (int i = 0; i < 32; ++i)
        if (tempsUsed & (1u << i))
            text += "vec4 r" + Number(i) + ";\n";
    for (int i = 0; i < 8; ++i)
        if (texturesUsed & (1u << i))
            text += "vec4 t" + Number(i) + ";\n";
    if (addressUsed)
        text += "ivec4 a0;\n";
    if (loopCounterUsed)
        text += "int aL;\n";
    if (!program.pixel)
    {
        text += "vec4 oPos;\n";
        if (outputsWritten & kOutFog)
            text += "vec4 oFog;\n";
        if (outputsWritten & kOutPointSize)
            text += "vec4 oPts;\n";
        for (int i = 0; i < 2; ++i)
            if (outputsWritten & (kOutColor0 << i))
                text += "vec4 oD" + Number(i) + ";\n";
        for (int i = 0; i < 8; ++i)
            if (outputsWritten & (kOutTexCoord0 << i))
                text += "vec4 oT" + Number(i) + ";\n";
    }
    else
    {
        for (int i = 0; i < 4; ++i)
            if (outputsWritten & (kOutPixel0 << i))
                text += "vec4 oC" + Number(i) + ";\n";
        if (outputsWritten & kOutDepth)
            text += "vec4 oDepth;\n";
        text += "vec4 qFog(vec4 colour)\n{\n"
                "    if (fogMode == 0)\n        return colour;\n"
                "    float c = gl_FogFragCoord;\n"
                "    float f = fogMode == 1 ? (gl_Fog.end - c) * gl_Fog.scale\n"
                "            : fogMode == 2 ? exp(-gl_Fog.density * c)\n"
                "                           : exp(-(gl_Fog.density * c) * (gl_Fog.density * c));\n"
                "    return vec4(mix(gl_Fog.color.rgb, colour.rgb, clamp(f, 0.0, 1.0)), colour.a);\n}\n";
    }
    if (relativeUsed)
    {
        const std::string limit = Number(static_cast<int>(ConstantLimit()));
        text += "vec4 vcAt(int i)\n{\n    if (i < 0 || i >= " + limit + ")\n        return vec4(0.0);\n";
        for (const Program::Definition& definition : program.definitions)
            if (definition.type == Program::kConst)
                text += "    if (i == " + Number(definition.index) + ")\n        return vd" +
                        Number(definition.index) + ";\n";
        text += "    return vc[i];\n}\n";
    }
    return text;
}

std::string Translator::MainFunction() const
{
    std::string text = "void main()\n{\n";
    for (int i = 0; i < 32; ++i)
        if (tempsUsed & (1u << i))
            text += "    r" + Number(i) + " = vec4(0.0);\n";
    for (int i = 0; i < 8; ++i)
        if (texturesUsed & (1u << i))
            text += "    t" + Number(i) + " = vec4(0.0);\n";
    if (addressUsed)
        text += "    a0 = ivec4(0);\n";
    if (loopCounterUsed)
        text += "    aL = 0;\n";
    if (!program.pixel)
    {
        // Partly written outputs read (0, 0, 0, 1) in the rest.
        text += "    oPos = vec4(0.0, 0.0, 0.0, 1.0);\n";
        if (outputsWritten & kOutFog)
            text += "    oFog = vec4(0.0, 0.0, 0.0, 1.0);\n";
        if (outputsWritten & kOutPointSize)
            text += "    oPts = vec4(0.0, 0.0, 0.0, 1.0);\n";
        for (int i = 0; i < 2; ++i)
            if (outputsWritten & (kOutColor0 << i))
                text += "    oD" + Number(i) + " = vec4(0.0, 0.0, 0.0, 1.0);\n";
        for (int i = 0; i < 8; ++i)
            if (outputsWritten & (kOutTexCoord0 << i))
                text += "    oT" + Number(i) + " = vec4(0.0, 0.0, 0.0, 1.0);\n";
        text += "    run();\n";
        // Clip depth 0..1 becomes GL's -1..1, and a render target that is
        // sampled top-down later is drawn upside down (the device
        // conventions at the top of Renderer.h).
        text += "    gl_Position = vec4(oPos.x, flipY < 0.0 ? -oPos.y : oPos.y, 2.0 * oPos.z - oPos.w, oPos.w);\n";
        text += (outputsWritten & kOutColor0) ? "    gl_FrontColor = oD0;\n" : "    gl_FrontColor = vec4(1.0);\n";
        text += (outputsWritten & (kOutColor0 << 1)) ? "    gl_FrontSecondaryColor = oD1;\n"
                                                     : "    gl_FrontSecondaryColor = vec4(0.0);\n";
        for (int i = 0; i < 8; ++i)
            if (outputsWritten & (kOutTexCoord0 << i))
                text += "    gl_TexCoord[" + Number(i) + "] = oT" + Number(i) + ";\n";
        if (outputsWritten & kOutFog)
            text += "    gl_FogFragCoord = oFog.x;\n";
        if (outputsWritten & kOutPointSize)
            text += "    gl_PointSize = oPts.x;\n";
    }
    else
    {
        for (int i = 0; i < 4; ++i)
            if (outputsWritten & (kOutPixel0 << i))
                text += "    oC" + Number(i) + " = vec4(0.0);\n";
        if (outputsWritten & kOutDepth)
            text += "    oDepth = vec4(gl_FragCoord.z);\n";
        text += "    run();\n";
        if (program.IsPixel1x())
            text += (tempsUsed & 1u) ? "    gl_FragColor = qFog(r0);\n" : "    gl_FragColor = qFog(vec4(0.0));\n";
        else if (outputsWritten & (0xEu * kOutPixel0))
        {
            // Several targets: every one through gl_FragData, fog on the first.
            for (int i = 0; i < 4; ++i)
                if (outputsWritten & (kOutPixel0 << i))
                    text += "    gl_FragData[" + Number(i) + "] = " + (i == 0 ? "qFog(oC0)" : "oC" + Number(i)) + ";\n";
        }
        else
            text += (outputsWritten & kOutPixel0) ? "    gl_FragColor = qFog(oC0);\n" : "    gl_FragColor = qFog(vec4(0.0));\n";
        if (outputsWritten & kOutDepth)
            text += "    gl_FragDepth = oDepth.x;\n";
    }
    return text + "}\n";
}

} // namespace

int32_t ShaderTranslator::Translate(const ShaderProgram& program, ShaderTranslation& translation,
                                    ShaderProgram::Error& error)
{
    error = ShaderProgram::Error();
    Translator translator(program, translation, error);
    return translator.Run() ? 0 : 1;
}
