// The family's shared pieces: every program against its constant row, and
// the light slot's links.
#include <gtest/gtest.h>

#include <set>

#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/ConstantLayout.h"
#include "engine/render/EffectPrograms.h"
#include "engine/render/LightSlot.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/gl/ShaderAssembler.h"
#include "engine/render/gl/ShaderParser.h"
#include "engine/scene/Light.h"
#include "scene/SceneTestSupport.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"

namespace
{

// Every program assembles; every constant it reads is defined in it or
// written by its row; its row's entries do not overlap one another or a
// definition; All() lists each Id at its own place.
TEST(EffectProgramsTest, EveryProgramAssemblesAndReadsOnlyItsRowOrItsDefinitions)
{
    const auto all = EffectPrograms::All();
    ASSERT_EQ(all.size(), static_cast<size_t>(EffectPrograms::Id::Count));
    for (size_t i = 0; i < all.size(); ++i)
    {
        const EffectPrograms::Program& program = all[i];
        SCOPED_TRACE(program.name);
        EXPECT_EQ(static_cast<size_t>(program.id), i);
        EXPECT_EQ(&EffectPrograms::Get(program.id), &program);
        ShaderTranslation translation;
        EXPECT_EQ(ShaderAssembler::Assemble(program.text, translation), 0);
        ShaderProgram parsed;
        ShaderProgram::Error error;
        ASSERT_EQ(ShaderParser::Parse(program.text, parsed, error), 0) << error.message;
        EXPECT_EQ(parsed.IsPixel(), program.pixel);

        std::set<uint32_t> defined, written;
        for (const ShaderProgram::Definition& d : parsed.definitions)
            if (d.type == ShaderProgram::kConst)
                defined.insert(d.index);
        for (const ConstantLayout::Entry& entry : ConstantLayout::Row(program.id))
        {
            const uint32_t width = ConstantLayout::Width(entry.quantity);
            for (uint32_t r = entry.first; r < entry.first + width; ++r)
            {
                EXPECT_TRUE(written.insert(r).second) << "c" << r << " written twice";
                EXPECT_EQ(defined.count(r), 0u) << "c" << r << " written and defined";
            }
        }
        for (const ShaderProgram::Instruction& instruction : parsed.instructions)
            for (uint8_t s = 0; s < instruction.sourceCount; ++s)
            {
                const ShaderProgram::Source& source = instruction.sources[s];
                if (source.type == ShaderProgram::kConst)
                {
                    EXPECT_TRUE(defined.count(source.index) || written.count(source.index))
                        << "c" << source.index << " read at line " << instruction.line;
                }
            }
    }
    EXPECT_TRUE(ConstantLayout::Row(EffectPrograms::Id::Count).empty());
}

// A light link loads as the light; another class in its place as none,
// after one warning; no link as none, quietly.
// The engine's classes registered, so links load.
class LightSlotTest : public SceneTest
{
};

TEST_F(LightSlotTest, ALinkOfAnotherClassLoadsAsNoLightWithAWarning)
{
    Ptr<Light> sun = new Light(String("sun"));
    Ptr<Texture> texture = new Texture(String("not a light"));
    struct Case
    {
        Object* link;
        bool kept;
        size_t warnings;
    };
    const Case cases[] = {{sun.Get(), true, 0}, {texture.Get(), false, 1}, {nullptr, false, 0}};
    for (const Case& c : cases)
    {
        Ptr<Texture1DLEffect> owner = new Texture1DLEffect(String("owner"));
        Stream out(0, 256);
        ASSERT_EQ(out.WriteLink(c.link), 0);
        ByteStream in(WrittenBytes(out));
        LightSlot slot;
        ASSERT_EQ(slot.Set(*owner, sun.Get()), 0);
        LogCapture log;
        ASSERT_EQ(slot.Load(in, *owner), 0);
        EXPECT_EQ(slot.Get() != nullptr, c.kept);
        EXPECT_EQ(log.Count("объект другого класса"), c.warnings);
        size_t loud = 0;
        for (const LogCapture::Line& line : log.Lines())
            loud += line.level >= kLogWarning ? 1 : 0;
        EXPECT_EQ(loud, c.warnings);
    }
}

} // namespace
