// The state side of GLRenderer: a pass's RenderStateBlock turned into
// fixed-function GL state, texture stage by texture stage.
#include "engine/render/gl/GLRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <initializer_list>

#include "engine/render/Pass.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLFunctions.h"

namespace
{

constexpr GLenum kCompare[8] = {GL_NEVER, GL_LESS, GL_LEQUAL, GL_EQUAL, GL_NOTEQUAL, GL_GREATER, GL_GEQUAL, GL_ALWAYS};

constexpr GLenum kBlendFactor[10] = {GL_ZERO,      GL_ONE,       GL_SRC_COLOR,           GL_ONE_MINUS_SRC_COLOR,
                                     GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR,
                                     GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};

// Increment and decrement clamp on the other device, as GL's plain forms do.
constexpr GLenum kStencilOperation[6] = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INVERT, GL_INCR, GL_DECR};

// Argument sources: texture, vertex colour, texture factor, previous stage.
// The first stage's "previous" is the vertex colour on both devices.
constexpr GLenum kSource[4] = {GL_TEXTURE, GL_PRIMARY_COLOR, GL_CONSTANT, GL_PREVIOUS};

template <size_t N>
GLenum Pick(const GLenum (&table)[N], int32_t index, GLenum fallback)
{
    return index >= 0 && static_cast<size_t>(index) < N ? table[index] : fallback;
}

// Same packing as every colour the device gets: clamped, times 255, truncated.
void PackColour(const Vector4& colour, float out[4])
{
    const float in[4] = {colour.x, colour.y, colour.z, colour.w};
    for (int i = 0; i < 4; ++i)
    {
        const float clamped = in[i] < 0.0f ? 0.0f : (in[i] > 1.0f ? 1.0f : in[i]);
        out[i] = static_cast<float>(static_cast<int>(clamped * 255.0f)) / 255.0f;
    }
}

void ToFloats(const Vector4& colour, float out[4])
{
    out[0] = colour.x;
    out[1] = colour.y;
    out[2] = colour.z;
    out[3] = colour.w;
}

// One half (colour or alpha) of a unit's combiner: the operation and its
// arguments in GL's order.
struct Combiner
{
    GLenum operation = GL_MODULATE;
    int arguments = 2;
    GLenum source[3] = {GL_TEXTURE, GL_PREVIOUS, GL_CONSTANT};
    GLenum operand[3] = {GL_SRC_COLOR, GL_SRC_COLOR, GL_SRC_COLOR};
};

void SetCombiner(const Combiner& combiner, bool alpha)
{
    static constexpr GLenum kSourceName[2][3] = {{GL_SOURCE0_RGB, GL_SOURCE1_RGB, GL_SOURCE2_RGB},
                                                 {GL_SOURCE0_ALPHA, GL_SOURCE1_ALPHA, GL_SOURCE2_ALPHA}};
    static constexpr GLenum kOperandName[2][3] = {{GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB},
                                                  {GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA}};
    const int half = alpha ? 1 : 0;
    glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB, static_cast<GLint>(combiner.operation));
    for (int i = 0; i < combiner.arguments; ++i)
    {
        glTexEnvi(GL_TEXTURE_ENV, kSourceName[half][i], static_cast<GLint>(combiner.source[i]));
        glTexEnvi(GL_TEXTURE_ENV, kOperandName[half][i], static_cast<GLint>(combiner.operand[i]));
    }
    glTexEnvf(GL_TEXTURE_ENV, alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE, 1.0f);
}

// A fixed combiner with every argument taken as is.
Combiner Plain(GLenum operation, std::initializer_list<GLenum> sources, bool alpha)
{
    Combiner combiner;
    combiner.operation = operation;
    combiner.arguments = 0;
    for (GLenum source : sources)
    {
        combiner.source[combiner.arguments] = source;
        combiner.operand[combiner.arguments] = alpha ? GL_SRC_ALPHA : GL_SRC_COLOR;
        ++combiner.arguments;
    }
    return combiner;
}

// An argument modifier as a GL operand: complement is GL's one-minus, alpha
// replicate reads the source's alpha. On the alpha half replication changes
// nothing.
GLenum Operand(int32_t modifier, bool alpha)
{
    const bool complement = modifier == 1 || modifier == 3;
    const bool replicate = alpha || modifier == 2 || modifier == 3;
    if (replicate)
        return complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    return complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

// The custom combiner of one half. The stage's arguments are stored as
// [0] argument 1, [1] argument 2, [2] argument 0.
Combiner Custom(int32_t operation, const int32_t sources[3], const int32_t modifiers[3], bool alpha)
{
    Combiner combiner;
    switch (operation)
    {
    case 0:
        combiner.operation = GL_REPLACE;
        combiner.arguments = 1;
        break;
    case 2:
        combiner.operation = GL_ADD;
        break;
    case 3:
        combiner.operation = GL_SUBTRACT;
        break;
    case 4:
        combiner.operation = GL_ADD_SIGNED;
        break;
    case 5:
        // arg1 x arg0 + arg2 x (1 - arg0): GL's interpolation weighs its
        // first source by its third, which is exactly the stored order.
        combiner.operation = GL_INTERPOLATE;
        combiner.arguments = 3;
        break;
    default:
        combiner.operation = GL_MODULATE;
        break;
    }
    for (int i = 0; i < combiner.arguments; ++i)
    {
        combiner.source[i] = Pick(kSource, sources[i], GL_TEXTURE);
        combiner.operand[i] = Operand(modifiers[i], alpha);
    }
    return combiner;
}

void ApplyCombine(const RenderStateBlock::TextureStage& stage)
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    Combiner colour;
    Combiner alpha;
    switch (stage.combine)
    {
    case 0: // replace
        colour = Plain(GL_REPLACE, {GL_TEXTURE}, false);
        alpha = Plain(GL_REPLACE, {GL_TEXTURE}, true);
        break;
    case 1: // decal: texture over previous by the texture's alpha
        colour = Plain(GL_INTERPOLATE, {GL_TEXTURE, GL_PREVIOUS, GL_TEXTURE}, false);
        colour.operand[2] = GL_SRC_ALPHA;
        alpha = Plain(GL_REPLACE, {GL_PREVIOUS}, true);
        break;
    case 3: // blend: from previous towards the texture factor by the texture
        colour = Plain(GL_INTERPOLATE, {GL_CONSTANT, GL_PREVIOUS, GL_TEXTURE}, false);
        alpha = Plain(GL_MODULATE, {GL_TEXTURE, GL_PREVIOUS}, true);
        break;
    case 4: // add
        colour = Plain(GL_ADD, {GL_TEXTURE, GL_PREVIOUS}, false);
        alpha = Plain(GL_ADD, {GL_TEXTURE, GL_PREVIOUS}, true);
        break;
    case 5:
        colour = Custom(stage.colourOperation, stage.colourArgument, stage.colourModifier, false);
        alpha = Custom(stage.alphaOperation, stage.alphaArgument, stage.alphaModifier, true);
        break;
    default: // modulate
        colour = Plain(GL_MODULATE, {GL_TEXTURE, GL_PREVIOUS}, false);
        alpha = Plain(GL_MODULATE, {GL_TEXTURE, GL_PREVIOUS}, true);
        break;
    }
    SetCombiner(colour, false);
    SetCombiner(alpha, true);
}

// Coordinate generation of the active unit. Generated coordinates are 3D
// with q = 1 (an object-linear q of w), so the texture matrix and GL's
// divide by q see what the other device's 3-coordinate transform sees.
// Eye-linear planes are taken through the inverse model-view current at the
// time they are given: the caller has the identity loaded.
void ApplyGeneration(int32_t mode)
{
    static constexpr GLenum kCoordinates[4] = {GL_S, GL_T, GL_R, GL_Q};
    static constexpr GLenum kEnables[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
    if (mode < 1 || mode > 4)
    {
        for (GLenum enable : kEnables)
            glDisable(enable);
        return;
    }
    static constexpr GLint kModes[5] = {0, GL_REFLECTION_MAP, GL_NORMAL_MAP, GL_EYE_LINEAR, GL_SPHERE_MAP};
    const int generated = mode == 4 ? 2 : 3; // a sphere map gives s and t only
    for (int i = 0; i < 3; ++i)
    {
        if (i < generated)
        {
            glTexGeni(kCoordinates[i], GL_TEXTURE_GEN_MODE, kModes[mode]);
            if (mode == 3)
            {
                float plane[4] = {0.0f, 0.0f, 0.0f, 0.0f};
                plane[i] = 1.0f;
                glTexGenfv(kCoordinates[i], GL_EYE_PLANE, plane);
            }
            glEnable(kEnables[i]);
        }
        else
            glDisable(kEnables[i]);
    }
    const float w[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glTexGeni(GL_Q, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_Q, GL_OBJECT_PLANE, w);
    glEnable(GL_TEXTURE_GEN_Q);
}

} // namespace

int32_t GLRenderer::BeginPass(Pass* pass)
{
    if (!device || !pass)
        return 0;
    // Each pass declares its own vertex layout: streams of an earlier pass
    // (possibly of geometry that has gone since) never reach this one.
    position = Stream();
    normal = Stream();
    colour = Stream();
    for (Stream& set : texCoord)
        set = Stream();
    pointSize = Stream();
    blendWeight = Stream();
    blendIndex = Stream();
    indices = nullptr;
    // State is applied directly each time, so there is no recording that a
    // changed pass would have to drop.
    pass->ClearChanged();
    const int32_t result = ApplyStateBlock(pass->GetState());
    // A pass starts clean: no textures on stages 0..6 and no programs, so
    // nothing bound for an earlier pass shows through this one.
    for (uint32_t stage = 0; stage < 7; ++stage)
        SetTexture(stage, nullptr);
    SetVertexShader(nullptr);
    SetPixelShader(nullptr);
    return result;
}

int32_t GLRenderer::ApplyStateBlock(RenderStateBlock* state)
{
    if (!device || !state)
        return 0;
    const GLFunctions& gl = device->Functions();

    if (state->blendEnabled)
    {
        glEnable(GL_BLEND);
        glBlendFunc(Pick(kBlendFactor, state->sourceBlend, GL_SRC_ALPHA),
                    Pick(kBlendFactor, state->destinationBlend, GL_ONE_MINUS_SRC_ALPHA));
    }
    else
        glDisable(GL_BLEND);

    if (state->alphaTestEnabled)
    {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(Pick(kCompare, state->alphaFunction, GL_ALWAYS),
                    static_cast<float>(state->alphaReference & 0xFF) / 255.0f);
    }
    else
        glDisable(GL_ALPHA_TEST);

    // Applied at each draw, where the renderer's overrides and the target's
    // orientation are known.
    cullEnabled = state->cullEnabled;
    cullOrder = state->cullOrder;

    if (state->fogEnabled)
    {
        glEnable(GL_FOG);
        float fog[4];
        PackColour(state->fogColour, fog);
        glFogfv(GL_FOG_COLOR, fog);
        if (state->fogMode == 0)
        {
            glFogi(GL_FOG_MODE, GL_LINEAR);
            glFogf(GL_FOG_START, state->fogStart);
            glFogf(GL_FOG_END, state->fogEnd);
        }
        else
        {
            glFogi(GL_FOG_MODE, state->fogMode == 2 ? GL_EXP2 : GL_EXP);
            glFogf(GL_FOG_DENSITY, state->fogDensity);
        }
        glHint(GL_FOG_HINT, state->fogPerPixel ? GL_NICEST : GL_FASTEST);
    }
    else
        glDisable(GL_FOG);

    float value[4];
    ToFloats(state->diffuse, value);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, value);
    ToFloats(state->ambient, value);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, value);
    ToFloats(state->specular, value);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, value);
    ToFloats(state->emissive, value);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, value);
    // GL limits the exponent to 0..128.
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS,
                state->power < 0.0f ? 0.0f : (state->power > 128.0f ? 128.0f : state->power));

    glShadeModel(state->shadeMode == 0 ? GL_FLAT : GL_SMOOTH);

    if (state->stencilEnabled)
    {
        glEnable(GL_STENCIL_TEST);
        glStencilMask(~0u);
        const GLenum function = Pick(kCompare, state->stencilFunction, GL_ALWAYS);
        const GLint reference = state->stencilReference;
        const GLenum fail = Pick(kStencilOperation, state->stencilFail, GL_KEEP);
        const GLenum depthFail = Pick(kStencilOperation, state->stencilDepthFail, GL_KEEP);
        const GLenum pass = Pick(kStencilOperation, state->stencilPass, GL_KEEP);
        if (state->twoSidedStencil)
        {
            // The draw makes GL's front face the one the viewer sees
            // counter-clockwise (whatever the target's orientation), so the
            // counter-clockwise settings go to the front, the others back.
            gl.stencilFuncSeparate(GL_BACK, function, reference, ~0u);
            gl.stencilOpSeparate(GL_BACK, fail, depthFail, pass);
            gl.stencilFuncSeparate(GL_FRONT, Pick(kCompare, state->ccwStencilFunction, GL_ALWAYS), reference, ~0u);
            gl.stencilOpSeparate(GL_FRONT, Pick(kStencilOperation, state->ccwStencilFail, GL_KEEP),
                                 Pick(kStencilOperation, state->ccwStencilDepthFail, GL_KEEP),
                                 Pick(kStencilOperation, state->ccwStencilPass, GL_KEEP));
        }
        else
        {
            glStencilFunc(function, reference, ~0u);
            glStencilOp(fail, depthFail, pass);
        }
    }
    else
        glDisable(GL_STENCIL_TEST);

    glPolygonMode(GL_FRONT_AND_BACK, state->wireframe ? GL_LINE : GL_FILL);

    depthFunction = state->depthFunction;
    if (state->depthEnabled)
    {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(state->depthWrite ? GL_TRUE : GL_FALSE);
        glDepthFunc(Pick(kCompare, state->depthFunction, GL_LEQUAL));
    }
    else
    {
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
    }

    // The eight stages, each on its own unit. Eye-linear planes need the
    // identity model-view while they are given.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    bool normalise = false;
    for (uint32_t index = 0; index < RenderStateBlock::kStageCount; ++index)
    {
        const RenderStateBlock::TextureStage& stage = state->stages[index];
        gl.activeTexture(GL_TEXTURE0 + index);
        ApplyCombine(stage);
        float factor[4];
        PackColour(stage.textureFactor, factor);
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);

        const int32_t generation = stage.texCoordGeneration >= 0 && stage.texCoordGeneration <= 5 ? stage.texCoordGeneration : 0;
        if (generation != texCoordGeneration[index])
            textureMatrixForm[index] = kTextureMatrixStale; // the matrix GL needs depends on it
        texCoordGeneration[index] = generation;
        ApplyGeneration(generation);
        normalise = normalise || (generation >= 1 && generation <= 4);

        StageSampler& sampler = samplers[index];
        sampler.minFilter = stage.minFilter;
        sampler.magFilter = stage.magFilter;
        sampler.addressU = stage.addressU;
        sampler.addressV = stage.addressV;
        sampler.addressW = stage.addressW;
        PackColour(stage.borderColour, sampler.borderColour);
        ApplySamplerState(index);
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    if (normalise)
        glEnable(GL_NORMALIZE);
    else
        glDisable(GL_NORMALIZE);

    // Point sprites: every unit's coordinates replaced across the sprite.
    // The size's scale by the viewport height is set at each draw, as the
    // viewport may change in between.
    pointSpritesOn = state->pointSprites;
    for (uint32_t index = 0; index < RenderStateBlock::kStageCount; ++index)
    {
        gl.activeTexture(GL_TEXTURE0 + index);
        glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, pointSpritesOn ? GL_TRUE : GL_FALSE);
    }
    gl.activeTexture(GL_TEXTURE0);
    if (pointSpritesOn)
    {
        glEnable(GL_POINT_SPRITE);
        glPointSize(0.1f);
        gl.pointParameterf(GL_POINT_SIZE_MIN, 0.0f);
    }
    else
    {
        // Plain points are one pixel, unscaled, whatever a sprite pass left.
        glDisable(GL_POINT_SPRITE);
        glPointSize(1.0f);
        gl.pointParameterf(GL_POINT_SIZE_MIN, 0.0f);
        const float constant[3] = {1.0f, 0.0f, 0.0f};
        gl.pointParameterfv(GL_POINT_DISTANCE_ATTENUATION, constant);
    }
    return 0;
}

void GLRenderer::ResetSceneState()
{
    // Lighting and specular start off in every scene; the lights of a pass
    // switch them on. No global ambient: only the lights' own ambient counts.
    glDisable(GL_LIGHTING);
    for (GLenum light = 0; light < 8; ++light)
        glDisable(GL_LIGHT0 + light);
    const float none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    // As the engine's lighting model has it: highlights follow the real
    // direction to the eye, and they are added after texturing, so a dark
    // texture still shines.
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // A new device starts with identity texture matrices: load ours again.
    for (uint8_t& form : textureMatrixForm)
        form = kTextureMatrixStale;
}
