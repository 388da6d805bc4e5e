#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/render/gl/ShaderTranslation.h"

class GLDevice;
class GLShaderProgram;
class Renderer;
class Shader;

// The shader side of the renderer: each shader's translation (made on its
// first bind), the programs linked per vertex/pixel pair, the bound pair,
// the two constant register files and the GL state a shader draw changes.
// Internal to engine/render/gl.
class GLShaderCache
{
public:
    static constexpr uint32_t kVertexRegisters = 256;
    static constexpr uint32_t kPixelRegisters = 32;

    // One shader as the renderer knows it. A text the assembler refused
    // stays refused (logged once) until the shader gets a new text.
    struct Entry
    {
        Shader* owner = nullptr;    // plain: the shader calls ReleaseShader before it goes
        ShaderTranslation translation;
        bool usable = false;
    };

    // An attribute stream for one draw: plain pointer into a buffer the
    // geometry holds for the draw.
    struct AttributeStream
    {
        const void* data = nullptr;
        uint32_t count = 0;
        int32_t components = 0;
    };

    GLShaderCache();
    ~GLShaderCache();
    GLShaderCache(const GLShaderCache&) = delete;
    GLShaderCache& operator=(const GLShaderCache&) = delete;

    // binding ---------------------------------------------------------------

    // The shader's entry, translated now when it has none or its text
    // changed; records renderer and entry in the shader's handle slot.
    // Never null for a non-null shader (a refused text gives an unusable
    // entry).
    Entry* Bind(Renderer* renderer, Shader* shader);

    // The linked program of a pair (pixel may be null), linked on first
    // use; null when the driver refused it, which is remembered.
    GLShaderProgram* Program(GLDevice& device, const Entry* vertex, const Entry* pixel);

    Shader* vertexShader = nullptr;  // plain: bound pair, cleared when a shader goes
    Shader* pixelShader = nullptr;
    Entry* FindEntry(const Shader* shader) const;

    // constants -------------------------------------------------------------

    // Float4 registers as the effects last wrote them; each program gets the
    // range it reads at every draw.
    float vertexRegisters[kVertexRegisters * 4] = {};
    float pixelRegisters[kPixelRegisters * 4] = {};

    // draw --------------------------------------------------------------------

    // Makes program current with the constants, feeds the attributes its
    // vertex stage reads and sets the fixed-function state its outputs
    // need. streams[location] per generic attribute location (16); a stream
    // shorter than vertexBound is not fed (a constant takes its place).
    void BeginDraw(GLDevice& device, GLShaderProgram& program, const Entry& vertex, bool flipY,
                   const AttributeStream (&streams)[16], uint32_t vertexBound);
    // Undoes BeginDraw: attribute arrays off, fixed-function state back,
    // program 0. Nothing when no draw was begun.
    void EndDraw(GLDevice& device);

    // release -----------------------------------------------------------------

    // Forgets one shader and every program linked with it.
    void Forget(const Shader* shader);
    // Forgets everything; each owner's handle slot is cleared so its next
    // bind translates again. The programs go too: on a context that is no
    // longer usable their deletion reaches nothing, which is all a lost
    // device needs.
    void ForgetAll(bool contextUsable);

private:
    // A program linked once for every pair of shaders with the same texts
    // (each effect makes its own shader objects from the same texts). A
    // null program was refused by the driver, which is remembered while
    // some pair still uses it.
    struct Linked
    {
        std::unique_ptr<GLShaderProgram> program;
        uint32_t users = 0;
    };
    using TextKey = std::pair<std::string, std::string>; // translated vertex and pixel sources
    using PairKey = std::pair<const Shader*, const Shader*>;

    // Lets a pair stop using its program; the program goes with its last user.
    void DropPair(std::map<PairKey, TextKey>::iterator pair);

    std::map<const Shader*, std::unique_ptr<Entry>> entries;
    std::map<TextKey, Linked> linked;
    std::map<PairKey, TextKey> pairs;

    // What BeginDraw changed.
    bool drawing = false;
    std::vector<uint32_t> enabledAttributes;
    bool fogOverridden = false;
    int32_t savedFogMode = 0;
    float savedFogStart = 0.0f;
    float savedFogEnd = 1.0f;
    bool colourSumEnabled = false;
    bool pointSizeEnabled = false;
};
