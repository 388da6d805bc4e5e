#pragma once
#include <cstdint>
#include <string_view>

#include "engine/render/gl/ShaderProgram.h"

// Reads shader assembly text into a ShaderProgram: vertex 1.1 and 2.0,
// pixel 1.1 to 1.4 and 2.0. Mnemonics, registers and keywords are read
// without regard to case; comments run from // or ; to the end of the line,
// or between /* and */.
//
// Checks what the text alone can show: the version statement first, known
// instructions of that version with the right number of operands, register
// numbers inside the version's register files, well-formed swizzles, masks,
// modifiers, declarations and definitions. Whether a register was declared
// before it is read, flow-control nesting and labels are the translator's
// business, since they need the whole program.
class ShaderParser
{
public:
    // 0 with *program filled (replacing what it held); 1 with *error giving
    // the line and the reason. Any bytes are safe input: nothing is read
    // beyond text, and nothing throws.
    static int32_t Parse(std::string_view text, ShaderProgram& program, ShaderProgram::Error& error);
};
