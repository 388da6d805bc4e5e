#include "engine/render/gl/ShaderAssembler.h"

#include "engine/core/Log.h"
#include "engine/render/gl/ShaderParser.h"
#include "engine/render/gl/ShaderTranslator.h"

int32_t ShaderAssembler::Assemble(const char* text, ShaderTranslation& translation)
{
    if (!text)
    {
        LogWarning("Указатель на текст программы шейдера равен 0.");
        return 3;
    }
    return Assemble(std::string_view(text), translation);
}

int32_t ShaderAssembler::Assemble(std::string_view text, ShaderTranslation& translation)
{
    ShaderProgram program;
    ShaderProgram::Error error;
    if (ShaderParser::Parse(text, program, error) != 0 ||
        ShaderTranslator::Translate(program, translation, error) != 0)
    {
        translation = ShaderTranslation();
        if (error.line > 0)
            LogError("Невозможно собрать программу шейдера: строка %d: %s", error.line, error.message.c_str());
        else
            LogError("Невозможно собрать программу шейдера: %s", error.message.c_str());
        return 1;
    }
    return 0;
}
