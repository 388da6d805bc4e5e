// Assembly text in, translation or one clean refusal out; no GL needed.
#include <string>

#include <gtest/gtest.h>

#include "engine/render/gl/ShaderAssembler.h"
#include "support/LogCapture.h"

namespace
{

// Assembles text that must be refused: result 1, exactly one error line,
// naming the line when one is given.
void ExpectRefused(const char* text, int line, const char* reason)
{
    SCOPED_TRACE(text);
    LogCapture log;
    ShaderTranslation translation;
    translation.source = "stale";
    EXPECT_EQ(ShaderAssembler::Assemble(text, translation), 1);
    EXPECT_TRUE(translation.source.empty());
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].level, kLogError);
    EXPECT_TRUE(log.Contains("Невозможно собрать программу шейдера")) << log.Lines()[0].text;
    if (line > 0)
    {
        EXPECT_TRUE(log.Contains(("строка " + std::to_string(line) + ":").c_str())) << log.Lines()[0].text;
    }
    EXPECT_TRUE(log.Contains(reason)) << log.Lines()[0].text;
}

// Every malformed text is refused with one error line naming the fault.
TEST(ShaderAssembler, RefusesMalformedTextWithOneLineNamingTheFault)
{
    // The version line: first, once, known, alone.
    ExpectRefused("", 0, "нет строки версии");
    ExpectRefused("mov r0, c0\nvs_1_1\n", 1, "нет строки версии");
    ExpectRefused("vs_1_1\nvs_1_1\n", 2, "повторная строка версии");
    ExpectRefused("vs_3_0\n", 1, "неподдерживаемая версия");
    ExpectRefused("vs_1_1 r0\n", 1, "лишние операнды");
    // Registers outside the version's files.
    ExpectRefused("vs_1_1\nmov r12, c0\n", 2, "неверный номер регистра");
    ExpectRefused("vs_2_0\nmov r0, c256\n", 2, "неверный номер регистра");
    ExpectRefused("vs_2_0\nmova a0.x, c0.x\nmov r0, c[a0.x + 300]\n", 3, "неверный номер регистра");
    ExpectRefused("ps_1_1\nmov r2, c0\n", 2, "неверный номер регистра");
    ExpectRefused("ps_2_0\ndcl t8\n", 2, "неверный номер регистра");
    ExpectRefused("ps_2_0\nmov oPos, c0\n", 2, "недоступен в этой версии");
    ExpectRefused("vs_1_1\nmov r0, q0\n", 2, "неизвестный регистр");
    ExpectRefused("vs_1_1\nmov r0, r\n", 2, "нет номера");
    // Unknown instructions, wrong operand counts.
    ExpectRefused("vs_1_1\nfrob r0, c0\n", 2, "неизвестная инструкция");
    ExpectRefused("vs_1_1\nmova a0.x, c0\n", 2, "недоступна в этой версии");
    ExpectRefused("ps_2_0\nlit r0, c0\n", 2, "недоступна в этой версии");
    ExpectRefused("vs_1_1\nadd r0, c0, c1, c2\n", 2, "слишком много операндов");
    ExpectRefused("vs_1_1\nmad r0, c0, c1\n", 2, "слишком мало операндов");
    ExpectRefused("ps_2_0\ndcl t0\ntexld r0, t0\n", 3, "слишком мало операндов");
    ExpectRefused("vs_1_1\nmov r0, , c0\n", 2, "пустой операнд");
    ExpectRefused("vs_1_1\nmov_x2 r0, c0\n", 2, "неверный модификатор инструкции");
    // Malformed swizzles, masks and modifiers.
    ExpectRefused("vs_1_1\nmov r0.yx, c0\n", 2, "неверная маска записи");
    ExpectRefused("vs_1_1\nmov r0, c0.xyzwx\n", 2, "неверная перестановка");
    ExpectRefused("vs_1_1\nmov r0, c0_bx2\n", 2, "недоступен в этой версии");
    ExpectRefused("ps_1_1\nmov r0, c0_foo\n", 2, "неизвестный модификатор источника");
    ExpectRefused("vs_1_1\nmov r0, r1[a0.x]\n", 2, "относительная адресация допустима только");
    ExpectRefused("vs_1_1\nmov r0, c[a0.y + 1]\n", 2, "только a0.x");
    ExpectRefused("vs_1_1\nmov r0, c[a0.x + 1\n", 2, "нет ']'");
    // Bad declarations and definitions.
    ExpectRefused("vs_1_1\ndcl_wobble v0\n", 2, "неизвестное объявление");
    ExpectRefused("vs_1_1\ndcl_position r0\n", 2, "только входные регистры");
    ExpectRefused("vs_1_1\ndcl_position v0\ndcl_normal v0\n", 3, "объявлен повторно");
    ExpectRefused("ps_1_1\ndcl t0\n", 2, "недоступны в этой версии");
    ExpectRefused("ps_2_0\ndcl_2d t0\n", 2, "только для s#");
    ExpectRefused("vs_1_1\ndef c0, 1, 2, 3\n", 2, "слишком мало операндов");
    ExpectRefused("vs_1_1\ndef c0, 1, 2, 3, 4\ndef c0, 1, 2, 3, 4\n", 3, "определена повторно");
    ExpectRefused("vs_2_0\ndefb b0, maybe\n", 2, "true или false");
    ExpectRefused("vs_2_0\ndcl_position v0\ndef c1, inf, 0, 0, 0\nmov oPos, c1\n", 0, "бесконечность");
    // What only the whole program shows.
    ExpectRefused("vs_1_1\nmov oPos, v0\n", 2, "v0 не объявлен");
    ExpectRefused("ps_2_0\nmov oC0, t0\n", 2, "t0 не объявлен");
    ExpectRefused("ps_2_0\ndcl t0\ntexld r0, t0, s0\n", 3, "s0 не объявлен");
    ExpectRefused("vs_2_0\nelse\n", 2, "else без if");
    ExpectRefused("vs_2_0\ndefi i0, 1, 0, 0, 0\nrep i0\nendloop\n", 4, "endloop без loop");
    ExpectRefused("vs_2_0\ndefi i0, 1, 0, 0, 0\nrep i0\nmov r0, c0\n", 4, "не закрыт");
    ExpectRefused("vs_2_0\ncall l3\n", 2, "неопределённой метки l3");
    ExpectRefused("vs_2_0\nmov r0, c[aL]\n", 2, "aL вне цикла");
    ExpectRefused("vs_2_0\nadd a0.x, c0, c0\n", 2, "только mov и mova");
    ExpectRefused("ps_1_1\n+mov r0, c0\n", 2, "'+' недопустима");
    ExpectRefused("ps_1_1\ntexkill t0\n+mov r0, c0\n", 3, "нельзя выполнять парой");
    ExpectRefused("vs_1_1\ndcl_position v0\ndcl_psize v1\ndcl_binormal v2\n", 4, "занимают один атрибут");
    ExpectRefused("vs_1_1\ndcl_positiont v0\n", 2, "не поддерживается");
    ExpectRefused("vs_1_1\nm4x4 r0, c0, r1\n", 2, "матрица должна быть в регистрах констант");
}

TEST(ShaderAssembler, NullTextIsAMissingArgument)
{
    LogCapture log;
    ShaderTranslation translation;
    EXPECT_EQ(ShaderAssembler::Assemble(static_cast<const char*>(nullptr), translation), 3);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].level, kLogWarning);
}

TEST(ShaderAssembler, ReadsCommentsCaseAndSpacingFreely)
{
    const char* text = "// header comment\n"
                       "  VS.1.1   ; old-style version\n"
                       "/* a block\n   comment */ DCL_POSITION v0\n"
                       "dcl_normal\tV3 // trailing\n"
                       "Mov A0.X , c4.X\n"
                       "MUL r0 , V3 , C[ A0.x + 8 ]\n"
                       "m4x4 oPos,v0,c0 /* inline */ ; and more\n"
                       "mov oD0, -r0.ZyX\r\n";
    LogCapture log;
    ShaderTranslation translation;
    EXPECT_EQ(ShaderAssembler::Assemble(text, translation), 0);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(translation.major, 1);
    EXPECT_FALSE(translation.pixel);
}

TEST(ShaderAssembler, DescribesWhatTheRendererMustFeed)
{
    ShaderTranslation vertex;
    ASSERT_EQ(ShaderAssembler::Assemble("vs_1_1\ndcl_position v0\ndcl_texcoord2 v4\ndcl_blendindices v9\n"
                                        "def c50, 1, 1, 1, 1\n"
                                        "m4x4 oPos, v0, c0\nmul oT3, v4, c50\nmov oFog, c7.x\nmov oD1, c6\n",
                                        vertex),
              0);
    ASSERT_EQ(vertex.attributes.size(), 3u);
    EXPECT_EQ(vertex.attributes[0].location, 0);
    EXPECT_EQ(vertex.attributes[1].inputRegister, 4);
    EXPECT_EQ(vertex.attributes[1].location, 10);
    EXPECT_EQ(vertex.attributes[2].location, 7);
    // The highest uploaded register read is c7; c50 is compiled in.
    EXPECT_EQ(vertex.constantCount, 8u);
    EXPECT_TRUE(vertex.writesFog && vertex.writesSpecular && !vertex.writesDiffuse && !vertex.writesPointSize);
    EXPECT_EQ(vertex.texCoordsWritten, 1 << 3);

    // Relative addressing needs the whole register file.
    ASSERT_EQ(ShaderAssembler::Assemble("vs_2_0\ndcl_position v0\nmova a0.x, c1.x\nmov oPos, c[a0.x]\n", vertex), 0);
    EXPECT_EQ(vertex.constantCount, 256u);

    ShaderTranslation pixel;
    ASSERT_EQ(ShaderAssembler::Assemble("ps_2_0\ndcl t0\ndcl_cube s3\ndcl_2d s1\ntexld r0, t0, s3\n"
                                        "texld r1, t0, s1\nmad oC0, r0, r1, c2\n",
                                        pixel),
              0);
    ASSERT_EQ(pixel.samplers.size(), 2u);
    EXPECT_TRUE(pixel.samplers[0].unit == 1 && pixel.samplers[0].type == ShaderProgram::kSampler2D);
    EXPECT_TRUE(pixel.samplers[1].unit == 3 && pixel.samplers[1].type == ShaderProgram::kSamplerCube);
    EXPECT_EQ(pixel.constantCount, 3u);
}

} // namespace
