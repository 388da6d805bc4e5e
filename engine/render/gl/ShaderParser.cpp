#include "engine/render/gl/ShaderParser.h"

#include <charconv>
#include <string>
#include <vector>

namespace
{

using Program = ShaderProgram;

// Which program versions accept an instruction.
enum VersionBit : uint8_t
{
    kVS11 = 1,
    kVS20 = 2,
    kPS1x = 4,   // pixel 1.1 to 1.3
    kPS14 = 8,
    kPS20 = 16,
    kAnyVS = kVS11 | kVS20,
    kAnyPS = kPS1x | kPS14 | kPS20,
    kAny = kAnyVS | kAnyPS,
};

struct OpcodeInfo
{
    const char* name;
    Program::Opcode opcode;
    bool destination;
    uint8_t minSources;
    uint8_t maxSources;
    uint8_t versions;
};

// sincos and sgn take their scratch constants and registers in 2.0 and none
// in later forms; both spellings are accepted. texld has one source in
// pixel 1.4 and two in 2.0.
const OpcodeInfo kOpcodes[] = {
    {"nop", Program::kNop, false, 0, 0, kAny},
    {"mov", Program::kMov, true, 1, 1, kAny},
    {"mova", Program::kMova, true, 1, 1, kVS20},
    {"add", Program::kAdd, true, 2, 2, kAny},
    {"sub", Program::kSub, true, 2, 2, kAny},
    {"mul", Program::kMul, true, 2, 2, kAny},
    {"mad", Program::kMad, true, 3, 3, kAny},
    {"dp3", Program::kDp3, true, 2, 2, kAny},
    {"dp4", Program::kDp4, true, 2, 2, kAny},
    {"dp2add", Program::kDp2Add, true, 3, 3, kPS20},
    {"rcp", Program::kRcp, true, 1, 1, kAnyVS | kPS20},
    {"rsq", Program::kRsq, true, 1, 1, kAnyVS | kPS20},
    {"min", Program::kMin, true, 2, 2, kAnyVS | kPS20},
    {"max", Program::kMax, true, 2, 2, kAnyVS | kPS20},
    {"slt", Program::kSlt, true, 2, 2, kAnyVS},
    {"sge", Program::kSge, true, 2, 2, kAnyVS},
    {"exp", Program::kExp, true, 1, 1, kAnyVS | kPS20},
    {"expp", Program::kExpp, true, 1, 1, kAnyVS},
    {"log", Program::kLog, true, 1, 1, kAnyVS | kPS20},
    {"logp", Program::kLogp, true, 1, 1, kAnyVS},
    {"lit", Program::kLit, true, 1, 1, kAnyVS},
    {"dst", Program::kDst, true, 2, 2, kAnyVS},
    {"frc", Program::kFrc, true, 1, 1, kAnyVS | kPS20},
    {"m4x4", Program::kM4x4, true, 2, 2, kAnyVS | kPS20},
    {"m4x3", Program::kM4x3, true, 2, 2, kAnyVS | kPS20},
    {"m3x4", Program::kM3x4, true, 2, 2, kAnyVS | kPS20},
    {"m3x3", Program::kM3x3, true, 2, 2, kAnyVS | kPS20},
    {"m3x2", Program::kM3x2, true, 2, 2, kAnyVS | kPS20},
    {"abs", Program::kAbs, true, 1, 1, kVS20 | kPS20},
    {"crs", Program::kCrs, true, 2, 2, kVS20 | kPS20},
    {"lrp", Program::kLrp, true, 3, 3, kVS20 | kAnyPS},
    {"nrm", Program::kNrm, true, 1, 1, kVS20 | kPS20},
    {"pow", Program::kPow, true, 2, 2, kVS20 | kPS20},
    {"sincos", Program::kSinCos, true, 1, 3, kVS20 | kPS20},
    {"sgn", Program::kSgn, true, 1, 3, kVS20},
    {"cmp", Program::kCmp, true, 3, 3, kAnyPS},
    {"cnd", Program::kCnd, true, 3, 3, kPS1x | kPS14},
    {"texld", Program::kTexld, true, 1, 2, kPS14 | kPS20},
    {"texldp", Program::kTexldp, true, 2, 2, kPS20},
    {"texldb", Program::kTexldb, true, 2, 2, kPS20},
    {"texkill", Program::kTexkill, false, 1, 1, kAnyPS},
    {"tex", Program::kTex, true, 0, 0, kPS1x},
    {"texcoord", Program::kTexCoord, true, 0, 0, kPS1x},
    {"texcrd", Program::kTexCrd, true, 1, 1, kPS14},
    {"phase", Program::kPhase, false, 0, 0, kPS14},
    {"if", Program::kIf, false, 1, 1, kVS20},
    {"else", Program::kElse, false, 0, 0, kVS20},
    {"endif", Program::kEndIf, false, 0, 0, kVS20},
    {"rep", Program::kRep, false, 1, 1, kVS20},
    {"endrep", Program::kEndRep, false, 0, 0, kVS20},
    {"loop", Program::kLoop, false, 2, 2, kVS20},
    {"endloop", Program::kEndLoop, false, 0, 0, kVS20},
    {"call", Program::kCall, false, 1, 1, kVS20},
    {"callnz", Program::kCallNz, false, 2, 2, kVS20},
    {"label", Program::kLabel, false, 1, 1, kVS20},
    {"ret", Program::kRet, false, 0, 0, kVS20},
};

struct UsageName
{
    const char* name;
    Program::Usage usage;
};

const UsageName kUsages[] = {
    {"position", Program::kUsagePosition},   {"blendweight", Program::kUsageBlendWeight},
    {"blendindices", Program::kUsageBlendIndices}, {"normal", Program::kUsageNormal},
    {"psize", Program::kUsagePointSize},     {"texcoord", Program::kUsageTexCoord},
    {"tangent", Program::kUsageTangent},     {"binormal", Program::kUsageBinormal},
    {"tessfactor", Program::kUsageTessFactor}, {"positiont", Program::kUsagePositionT},
    {"color", Program::kUsageColor},         {"fog", Program::kUsageFog},
    {"depth", Program::kUsageDepth},         {"sample", Program::kUsageSample},
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'a' && c <= 'z'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// A piece of the program text for a message, short enough for one log line.
std::string Quote(std::string_view s)
{
    std::string out = "\"";
    out.append(s.substr(0, 40));
    if (s.size() > 40)
        out += "...";
    out += "\"";
    return out;
}

// Component letter to 0..3, or -1.
int Component(char c)
{
    switch (c)
    {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
    default: return -1;
    }
}

class Parser
{
public:
    Parser(Program& program, Program::Error& error) : program(program), error(error) {}

    bool Run(std::string_view text);

private:
    bool Fail(const std::string& message)
    {
        error.line = line;
        error.message = message;
        return false;
    }

    bool Statement(std::string_view statement);
    bool Version(std::string_view word, const std::vector<std::string_view>& operands);
    bool Declaration(std::string_view word, const std::vector<std::string_view>& operands);
    bool Definition(std::string_view word, const std::vector<std::string_view>& operands);
    bool Instruction(std::string_view word, const std::vector<std::string_view>& operands, bool coissue);

    bool Register(std::string_view s, size_t& at, Program::RegisterType& type, uint16_t& index, bool& numbered);
    bool CheckIndex(Program::RegisterType type, uint32_t index, std::string_view text);
    bool Destination(std::string_view s, Program::Destination& destination);
    bool Source(std::string_view s, Program::Source& source);
    bool Relative(std::string_view inside, Program::Source& source, std::string_view whole);
    bool Float(std::string_view s, float& value);
    bool Integer(std::string_view s, int32_t& value);

    uint8_t VersionBitOf() const
    {
        if (!program.pixel)
            return program.major == 1 ? kVS11 : kVS20;
        if (program.major == 2)
            return kPS20;
        return program.minor == 4 ? kPS14 : kPS1x;
    }

    // Size of a register file in this version; 0 where the version has none.
    uint32_t Limit(Program::RegisterType type) const;

    Program& program;
    Program::Error& error;
    int32_t line = 0;
    bool versionSeen = false;
};

uint32_t Parser::Limit(Program::RegisterType type) const
{
    const uint8_t version = VersionBitOf();
    switch (type)
    {
    case Program::kTemp:
        return version == kPS1x ? 2 : version == kPS14 ? 6 : 12;
    case Program::kInput:
        return program.pixel ? 2 : 16;
    case Program::kConst:
        return version == kVS11 ? 96 : version == kVS20 ? 256 : version == kPS20 ? 32 : 8;
    case Program::kAddress:
        return program.pixel ? 0 : 1;
    case Program::kTexture:
        return version == kPS1x ? 4 : version == kPS14 ? 6 : version == kPS20 ? 8 : 0;
    case Program::kSampler:
        return version == kPS1x ? 4 : version == kPS14 ? 6 : version == kPS20 ? 16 : 0;
    case Program::kConstInt:
    case Program::kConstBool:
        return version == kVS20 ? 16 : 0;
    case Program::kLoopCounter:
        return version == kVS20 ? 1 : 0;
    case Program::kLabelRegister:
        return version == kVS20 ? 16 : 0;
    case Program::kPositionOut:
    case Program::kFogOut:
    case Program::kPointSizeOut:
        return program.pixel ? 0 : 1;
    case Program::kColorOut:
        return program.pixel ? 0 : 2;
    case Program::kTexCoordOut:
        return program.pixel ? 0 : 8;
    case Program::kPixelColorOut:
        return version == kPS20 ? 4 : 0;
    case Program::kDepthOut:
        return version == kPS20 ? 1 : 0;
    default:
        return 0;
    }
}

bool Parser::Run(std::string_view text)
{
    program = Program();
    bool inBlockComment = false;
    size_t start = 0;
    line = 0;
    while (start <= text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ++line;
        // Comments out, letters to lower case.
        std::string clean;
        clean.reserve(end - start);
        for (size_t i = start; i < end; ++i)
        {
            const char c = text[i];
            if (inBlockComment)
            {
                if (c == '*' && i + 1 < end && text[i + 1] == '/')
                {
                    inBlockComment = false;
                    ++i;
                }
                continue;
            }
            if (c == ';' || (c == '/' && i + 1 < end && text[i + 1] == '/'))
                break;
            if (c == '/' && i + 1 < end && text[i + 1] == '*')
            {
                inBlockComment = true;
                ++i;
                clean += ' ';
                continue;
            }
            clean += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        std::string_view statement = Trim(clean);
        if (!statement.empty() && !Statement(statement))
            return false;
        start = end + 1;
    }
    if (!versionSeen)
    {
        line = 0;
        return Fail("нет строки версии");
    }
    return true;
}

bool Parser::Statement(std::string_view statement)
{
    bool coissue = false;
    if (statement.front() == '+')
    {
        coissue = true;
        statement = Trim(statement.substr(1));
        if (statement.empty())
            return Fail("после '+' нет инструкции");
    }
    size_t wordEnd = 0;
    while (wordEnd < statement.size() && !IsSpace(statement[wordEnd]) && statement[wordEnd] != ',')
        ++wordEnd;
    const std::string_view word = statement.substr(0, wordEnd);
    std::vector<std::string_view> operands;
    std::string_view rest = Trim(statement.substr(wordEnd));
    if (!rest.empty())
    {
        size_t from = 0;
        while (true)
        {
            const size_t comma = rest.find(',', from);
            const std::string_view operand = Trim(rest.substr(from, comma == std::string_view::npos ? rest.npos
                                                                                                  : comma - from));
            if (operand.empty())
                return Fail("пустой операнд");
            operands.push_back(operand);
            if (comma == std::string_view::npos)
                break;
            from = comma + 1;
        }
    }

    const bool isVersion = word.size() >= 3 && (word.substr(0, 2) == "vs" || word.substr(0, 2) == "ps") &&
                           (word[2] == '_' || word[2] == '.');
    if (!versionSeen)
    {
        if (!isVersion)
            return Fail("нет строки версии перед " + Quote(word));
        if (coissue)
            return Fail("'+' перед строкой версии");
        return Version(word, operands);
    }
    if (isVersion)
        return Fail("повторная строка версии");
    if (word.substr(0, 3) == "dcl")
        return !coissue ? Declaration(word, operands) : Fail("'+' перед объявлением");
    if (word == "def" || word == "defi" || word == "defb")
        return !coissue ? Definition(word, operands) : Fail("'+' перед определением константы");
    return Instruction(word, operands, coissue);
}

bool Parser::Version(std::string_view word, const std::vector<std::string_view>& operands)
{
    if (!operands.empty())
        return Fail("лишние операнды у строки версии");
    // "vs_1_1", "ps.2.0": kind, separator, digit, separator, digit.
    if (word.size() != 6 || !IsDigit(word[3]) || !IsDigit(word[5]) || (word[4] != '_' && word[4] != '.') ||
        word[4] != word[2])
        return Fail("неверная строка версии " + Quote(word));
    program.pixel = word[0] == 'p';
    program.major = static_cast<uint8_t>(word[3] - '0');
    program.minor = static_cast<uint8_t>(word[5] - '0');
    const bool known = program.pixel ? ((program.major == 1 && program.minor >= 1 && program.minor <= 4) ||
                                        (program.major == 2 && program.minor == 0))
                                     : ((program.major == 1 && program.minor == 1) ||
                                        (program.major == 2 && program.minor == 0));
    if (!known)
        return Fail("неподдерживаемая версия " + Quote(word));
    versionSeen = true;
    return true;
}

bool Parser::CheckIndex(Program::RegisterType type, uint32_t index, std::string_view text)
{
    const uint32_t limit = Limit(type);
    if (limit == 0)
        return Fail("регистр " + Quote(text) + " недоступен в этой версии");
    if (index >= limit)
        return Fail("неверный номер регистра " + Quote(text));
    return true;
}

bool Parser::Register(std::string_view s, size_t& at, Program::RegisterType& type, uint16_t& index, bool& numbered)
{
    const size_t begin = at;
    size_t p = at;
    while (p < s.size() && IsLetter(s[p]))
        ++p;
    const std::string_view name = s.substr(begin, p - begin);
    size_t digitsEnd = p;
    while (digitsEnd < s.size() && IsDigit(s[digitsEnd]))
        ++digitsEnd;
    const std::string_view digits = s.substr(p, digitsEnd - p);
    const std::string_view text = s.substr(begin, digitsEnd - begin);

    struct Name
    {
        const char* name;
        Program::RegisterType type;
        bool needsNumber;
    };
    static const Name kNames[] = {
        {"r", Program::kTemp, true},          {"v", Program::kInput, true},
        {"c", Program::kConst, true},         {"a", Program::kAddress, true},
        {"t", Program::kTexture, true},       {"s", Program::kSampler, true},
        {"i", Program::kConstInt, true},      {"b", Program::kConstBool, true},
        {"al", Program::kLoopCounter, false}, {"opos", Program::kPositionOut, false},
        {"ofog", Program::kFogOut, false},    {"opts", Program::kPointSizeOut, false},
        {"od", Program::kColorOut, true},     {"ot", Program::kTexCoordOut, true},
        {"oc", Program::kPixelColorOut, true}, {"odepth", Program::kDepthOut, false},
        {"l", Program::kLabelRegister, true},
    };
    const Name* found = nullptr;
    for (const Name& candidate : kNames)
        if (name == candidate.name)
            found = &candidate;
    if (!found)
        return Fail("неизвестный регистр " + Quote(text.empty() ? s.substr(begin) : text));
    type = found->type;
    numbered = !digits.empty();
    uint32_t value = 0;
    if (!digits.empty())
    {
        if (!found->needsNumber)
            return Fail("неизвестный регистр " + Quote(text));
        if (digits.size() > 5)
            return Fail("неверный номер регистра " + Quote(text));
        for (char c : digits)
            value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    else if (found->needsNumber && !(type == Program::kConst && digitsEnd < s.size() && s[digitsEnd] == '['))
        return Fail("у регистра " + Quote(text) + " нет номера");
    if (!CheckIndex(type, value, text))
        return false;
    index = static_cast<uint16_t>(value);
    at = digitsEnd;
    return true;
}

bool Parser::Destination(std::string_view s, Program::Destination& destination)
{
    size_t at = 0;
    bool numbered = false;
    if (!Register(s, at, destination.type, destination.index, numbered))
        return false;
    if (at < s.size() && s[at] == '[')
        return Fail("относительная адресация недопустима в приёмнике " + Quote(s));
    destination.mask = 0xF;
    if (at < s.size() && s[at] == '.')
    {
        ++at;
        uint8_t mask = 0;
        int last = -1;
        size_t count = 0;
        while (at < s.size())
        {
            const int component = Component(s[at]);
            if (component < 0 || component <= last)
                return Fail("неверная маска записи " + Quote(s));
            mask = static_cast<uint8_t>(mask | (1u << component));
            last = component;
            ++at;
            ++count;
        }
        if (count == 0)
            return Fail("неверная маска записи " + Quote(s));
        destination.mask = mask;
    }
    if (at != s.size())
        return Fail("неверный операнд " + Quote(s));
    return true;
}

bool Parser::Relative(std::string_view inside, Program::Source& source, std::string_view whole)
{
    // Terms joined by '+': one address (a0.x, a0 meaning a0.x, or aL) and at
    // most one non-negative offset.
    bool haveAddress = false;
    bool haveOffset = false;
    uint32_t offset = source.index;
    size_t from = 0;
    while (from <= inside.size())
    {
        size_t plus = inside.find('+', from);
        if (plus == std::string_view::npos)
            plus = inside.size();
        const std::string_view term = inside.substr(from, plus - from);
        if (term.empty())
            return Fail("неверная относительная адресация " + Quote(whole));
        if (IsDigit(term[0]))
        {
            if (haveOffset || term.size() > 5)
                return Fail("неверная относительная адресация " + Quote(whole));
            uint32_t value = 0;
            for (char c : term)
            {
                if (!IsDigit(c))
                    return Fail("неверная относительная адресация " + Quote(whole));
                value = value * 10 + static_cast<uint32_t>(c - '0');
            }
            offset += value;
            haveOffset = true;
        }
        else
        {
            if (haveAddress)
                return Fail("неверная относительная адресация " + Quote(whole));
            size_t at = 0;
            Program::RegisterType type;
            uint16_t index = 0;
            bool numbered = false;
            if (!Register(term, at, type, index, numbered))
                return false;
            uint8_t component = 0;
            if (type == Program::kAddress && at < term.size() && term[at] == '.' && at + 2 == term.size() &&
                Component(term[at + 1]) >= 0)
            {
                component = static_cast<uint8_t>(Component(term[at + 1]));
                at = term.size();
            }
            if ((type != Program::kAddress && type != Program::kLoopCounter) || at != term.size())
                return Fail("неверная относительная адресация " + Quote(whole));
            if (program.major == 1 && component != 0)
                return Fail("в версии 1.1 доступен только a0.x: " + Quote(whole));
            source.relativeType = type;
            source.relativeComponent = component;
            haveAddress = true;
        }
        from = plus + 1;
    }
    if (!haveAddress)
        return Fail("неверная относительная адресация " + Quote(whole));
    if (offset >= Limit(Program::kConst))
        return Fail("неверный номер регистра " + Quote(whole));
    source.relative = true;
    source.index = static_cast<uint16_t>(offset);
    return true;
}

bool Parser::Source(std::string_view raw, Program::Source& source)
{
    // Spaces inside an operand mean nothing ("c[a0.x + 5]", "1 - r0").
    std::string packed;
    for (char c : raw)
        if (!IsSpace(c))
            packed += c;
    const std::string_view s = packed;
    size_t at = 0;
    bool complement = false;
    if (at < s.size() && s[at] == '-')
    {
        source.negate = true;
        ++at;
    }
    if (at + 1 < s.size() && s[at] == '1' && s[at + 1] == '-')
    {
        complement = true;
        at += 2;
    }
    if (at < s.size() && s[at] == '!')
    {
        source.boolNot = true;
        ++at;
    }
    bool numbered = false;
    if (!Register(s, at, source.type, source.index, numbered))
        return false;
    if (at < s.size() && s[at] == '[')
    {
        const size_t close = s.find(']', at);
        if (close == std::string_view::npos)
            return Fail("нет ']' в " + Quote(raw));
        if (source.type != Program::kConst || program.pixel)
            return Fail("относительная адресация допустима только для констант вершинной программы: " +
                        Quote(raw));
        if (!Relative(s.substr(at + 1, close - at - 1), source, raw))
            return false;
        at = close + 1;
    }
    else if (source.type == Program::kConst && !numbered)
        return Fail("у регистра " + Quote(raw) + " нет номера");

    bool swizzled = false;
    source.modifier = complement ? Program::kModComplement : Program::kModNone;
    while (at < s.size())
    {
        if (s[at] == '.' && !swizzled)
        {
            ++at;
            uint8_t count = 0;
            while (at < s.size() && count < 5 && Component(s[at]) >= 0)
            {
                if (count < 4)
                    source.swizzle[count] = static_cast<uint8_t>(Component(s[at]));
                ++count;
                ++at;
            }
            if (count == 0 || count > 4)
                return Fail("неверная перестановка компонент " + Quote(raw));
            // A short swizzle repeats its last component: .xy reads .xyyy.
            for (uint8_t i = count; i < 4; ++i)
                source.swizzle[i] = source.swizzle[count - 1];
            swizzled = true;
        }
        else if (s[at] == '_' && source.modifier == Program::kModNone)
        {
            size_t end = ++at;
            while (end < s.size() && (IsLetter(s[end]) || IsDigit(s[end])))
                ++end;
            const std::string_view word = s.substr(at, end - at);
            if (word == "bias")
                source.modifier = Program::kModBias;
            else if (word == "bx2")
                source.modifier = Program::kModSignScale;
            else if (word == "x2")
                source.modifier = Program::kModScale2;
            else if (word == "abs")
                source.modifier = Program::kModAbs;
            else if (word == "dz" || word == "db")
                source.modifier = Program::kModDivideZ;
            else if (word == "dw" || word == "da")
                source.modifier = Program::kModDivideW;
            else
                return Fail("неизвестный модификатор источника " + Quote(raw));
            at = end;
        }
        else
            return Fail("неверный операнд " + Quote(raw));
    }
    if (source.boolNot && source.type != Program::kConstBool)
        return Fail("'!' допустим только перед логической константой: " + Quote(raw));
    const bool pixelModifier = source.modifier == Program::kModBias || source.modifier == Program::kModSignScale ||
                               source.modifier == Program::kModScale2 || source.modifier == Program::kModComplement ||
                               source.modifier == Program::kModDivideZ || source.modifier == Program::kModDivideW;
    if (pixelModifier && !program.IsPixel1x())
        return Fail("модификатор источника недоступен в этой версии: " + Quote(raw));
    if (source.modifier == Program::kModAbs && program.IsPixel1x())
        return Fail("модификатор источника недоступен в этой версии: " + Quote(raw));
    return true;
}

bool Parser::Float(std::string_view s, float& value)
{
    std::string packed;
    for (char c : s)
        if (!IsSpace(c))
            packed += c;
    std::string_view text = packed;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
    {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // from_chars takes no sign of its own and no locale.
    if (text.empty() || text[0] == '+' || text[0] == '-')
        return Fail("неверное число " + Quote(s));
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return Fail("неверное число " + Quote(s));
    if (negative)
        value = -value;
    return true;
}

bool Parser::Integer(std::string_view s, int32_t& value)
{
    std::string_view text = Trim(s);
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return Fail("неверное целое число " + Quote(s));
    return true;
}

bool Parser::Declaration(std::string_view word, const std::vector<std::string_view>& operands)
{
    const uint8_t version = VersionBitOf();
    if (version == kPS1x || version == kPS14)
        return Fail("объявления недоступны в этой версии");
    if (operands.size() != 1)
        return Fail(operands.empty() ? "нет операнда у объявления" : "слишком много операндов у объявления");

    // "dcl", then words joined by '_': one usage or sampler kind, and the
    // _pp and _centroid hints, which change nothing here.
    std::string_view kind;
    size_t from = 3;
    while (from < word.size())
    {
        if (word[from] != '_')
            return Fail("неизвестное объявление " + Quote(word));
        size_t end = word.find('_', from + 1);
        if (end == std::string_view::npos)
            end = word.size();
        const std::string_view part = word.substr(from + 1, end - from - 1);
        if (part == "pp" || part == "centroid")
            ;
        else if (kind.empty() && !part.empty())
            kind = part;
        else
            return Fail("неизвестное объявление " + Quote(word));
        from = end;
    }

    Program::Declaration declaration;
    declaration.line = line;
    Program::Destination target;
    if (!Destination(operands[0], target))
        return false;
    declaration.type = target.type;
    declaration.index = target.index;

    if (!program.pixel)
    {
        size_t letters = 0;
        while (letters < kind.size() && IsLetter(kind[letters]))
            ++letters;
        const std::string_view usageName = kind.substr(0, letters);
        const std::string_view usageDigits = kind.substr(letters);
        const UsageName* usage = nullptr;
        for (const UsageName& candidate : kUsages)
            if (usageName == candidate.name)
                usage = &candidate;
        if (!usage || usageDigits.size() > 2)
            return Fail("неизвестное объявление " + Quote(word));
        uint32_t usageIndex = 0;
        for (char c : usageDigits)
        {
            if (!IsDigit(c))
                return Fail("неизвестное объявление " + Quote(word));
            usageIndex = usageIndex * 10 + static_cast<uint32_t>(c - '0');
        }
        if (target.type != Program::kInput)
            return Fail("объявлять можно только входные регистры v#: " + Quote(operands[0]));
        declaration.usage = usage->usage;
        declaration.usageIndex = static_cast<uint8_t>(usageIndex);
    }
    else if (kind.empty())
    {
        if (target.type != Program::kInput && target.type != Program::kTexture)
            return Fail("без типа объявляются только v# и t#: " + Quote(operands[0]));
    }
    else
    {
        if (kind == "2d")
            declaration.samplerType = Program::kSampler2D;
        else if (kind == "cube")
            declaration.samplerType = Program::kSamplerCube;
        else if (kind == "volume")
            declaration.samplerType = Program::kSamplerVolume;
        else
            return Fail("неизвестное объявление " + Quote(word));
        if (target.type != Program::kSampler || target.mask != 0xF)
            return Fail("тип текстуры объявляется только для s#: " + Quote(operands[0]));
    }
    for (const Program::Declaration& other : program.declarations)
        if (other.type == declaration.type && other.index == declaration.index)
            return Fail("регистр объявлен повторно: " + Quote(operands[0]));
    program.declarations.push_back(declaration);
    return true;
}

bool Parser::Definition(std::string_view word, const std::vector<std::string_view>& operands)
{
    Program::Definition definition;
    const Program::RegisterType wanted = word == "def" ? Program::kConst
                                         : word == "defi" ? Program::kConstInt
                                                          : Program::kConstBool;
    const size_t values = wanted == Program::kConstBool ? 1 : 4;
    if (operands.size() != values + 1)
        return Fail(operands.size() > values + 1 ? "слишком много операндов у " + Quote(word)
                                                 : "слишком мало операндов у " + Quote(word));
    Program::Destination target;
    if (!Destination(operands[0], target))
        return false;
    if (target.type != wanted || target.mask != 0xF)
        return Fail("неверный регистр в определении константы: " + Quote(operands[0]));
    definition.type = target.type;
    definition.index = target.index;
    if (wanted == Program::kConst)
    {
        for (size_t i = 0; i < 4; ++i)
            if (!Float(operands[i + 1], definition.floats[i]))
                return false;
    }
    else if (wanted == Program::kConstInt)
    {
        for (size_t i = 0; i < 4; ++i)
            if (!Integer(operands[i + 1], definition.ints[i]))
                return false;
    }
    else
    {
        const std::string_view value = operands[1];
        if (value == "true")
            definition.ints[0] = 1;
        else if (value == "false")
            definition.ints[0] = 0;
        else
            return Fail("ожидается true или false: " + Quote(value));
    }
    for (const Program::Definition& other : program.definitions)
        if (other.type == definition.type && other.index == definition.index)
            return Fail("константа определена повторно: " + Quote(operands[0]));
    program.definitions.push_back(definition);
    return true;
}

bool Parser::Instruction(std::string_view word, const std::vector<std::string_view>& operands, bool coissue)
{
    Program::Instruction instruction;
    instruction.line = line;
    instruction.coissue = coissue;

    // Mnemonic, then instruction modifiers joined by '_'.
    const size_t underscore = word.find('_');
    const std::string_view mnemonic = word.substr(0, underscore);
    const OpcodeInfo* info = nullptr;
    for (const OpcodeInfo& candidate : kOpcodes)
        if (mnemonic == candidate.name)
            info = &candidate;
    if (!info)
        return Fail("неизвестная инструкция " + Quote(word));
    if (!(info->versions & VersionBitOf()))
        return Fail("инструкция " + Quote(mnemonic) + " недоступна в этой версии");
    size_t from = underscore;
    while (from != std::string_view::npos && from < word.size())
    {
        size_t end = word.find('_', from + 1);
        const std::string_view part = word.substr(from + 1, end == std::string_view::npos ? word.npos : end - from - 1);
        int8_t shift = 0;
        if (part == "sat")
            instruction.destination.saturate = true;
        else if (part == "pp")
            ;
        else if (part == "x2" || part == "x4" || part == "x8" || part == "d2" || part == "d4" || part == "d8")
        {
            shift = static_cast<int8_t>(part[1] == '2' ? 1 : part[1] == '4' ? 2 : 3);
            if (part[0] == 'd')
                shift = static_cast<int8_t>(-shift);
            if (!program.IsPixel1x() || instruction.destination.shift != 0)
                return Fail("неверный модификатор инструкции " + Quote(word));
            if ((shift == 3 || shift == -3) && !program.IsPixel14())
                return Fail("неверный модификатор инструкции " + Quote(word));
            instruction.destination.shift = shift;
        }
        else
            return Fail("неизвестный модификатор инструкции " + Quote(word));
        if ((part == "sat" || shift != 0) && !info->destination)
            return Fail("неверный модификатор инструкции " + Quote(word));
        from = end;
    }
    if (coissue && (!program.IsPixel1x() || program.instructions.empty()))
        return Fail("парная инструкция '+' недопустима здесь");

    instruction.opcode = info->opcode;
    instruction.hasDestination = info->destination;
    const size_t wanted = (info->destination ? 1u : 0u);
    if (operands.size() < wanted + info->minSources)
        return Fail("слишком мало операндов у " + Quote(mnemonic));
    if (operands.size() > wanted + info->maxSources)
        return Fail("слишком много операндов у " + Quote(mnemonic));
    size_t next = 0;
    if (info->destination && !Destination(operands[next++], instruction.destination))
        return false;
    instruction.sourceCount = static_cast<uint8_t>(operands.size() - next);
    for (uint8_t i = 0; i < instruction.sourceCount; ++i)
        if (!Source(operands[next + i], instruction.sources[i]))
            return false;
    // texld: pixel 1.4 names only the coordinate, 2.0 also the sampler.
    if (instruction.opcode == Program::kTexld && instruction.sourceCount != (program.pixel && program.major == 2 ? 2 : 1))
        return Fail(instruction.sourceCount == 1 ? "слишком мало операндов у \"texld\""
                                                 : "слишком много операндов у \"texld\"");
    program.instructions.push_back(instruction);
    return true;
}

} // namespace

int32_t ShaderParser::Parse(std::string_view text, ShaderProgram& program, ShaderProgram::Error& error)
{
    error = ShaderProgram::Error();
    Parser parser(program, error);
    return parser.Run(text) ? 0 : 1;
}
