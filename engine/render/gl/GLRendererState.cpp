// The state side of GLRenderer: a pass's RenderStateBlock turned into
// fixed-function GL state, texture stage by texture stage.
#include "engine/render/gl/GLRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <initializer_list>

#include "engine/render/Pass.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLDeviceValues.h"
#include "engine/render/gl/GLFunctions.h"

namespace
{

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

// The custom combiner of one half. The stage's arguments are stored as
// [0] argument 1, [1] argument 2, [2] argument 0; an unknown operation
// modulates.
Combiner Custom(CombineOperation operation, const CombineArgument sources[3], const ArgumentModifier modifiers[3],
                bool alpha)
{
    Combiner combiner;
    combiner.operation = ToGL(operation, CombineOperation::Modulate);
    if (operation == CombineOperation::Select)
        combiner.arguments = 1;
    else if (operation == CombineOperation::Interpolate)
        combiner.arguments = 3;
    for (int i = 0; i < combiner.arguments; ++i)
    {
        combiner.source[i] = ToGL(sources[i], CombineArgument::Texture);
        combiner.operand[i] = ToGLOperand(modifiers[i], alpha);
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
    case StageCombine::Replace:
        colour = Plain(GL_REPLACE, {GL_TEXTURE}, false);
        alpha = Plain(GL_REPLACE, {GL_TEXTURE}, true);
        break;
    case StageCombine::Decal:
        colour = Plain(GL_INTERPOLATE, {GL_TEXTURE, GL_PREVIOUS, GL_TEXTURE}, false);
        colour.operand[2] = GL_SRC_ALPHA;
        alpha = Plain(GL_REPLACE, {GL_PREVIOUS}, true);
        break;
    case StageCombine::Blend:
        colour = Plain(GL_INTERPOLATE, {GL_CONSTANT, GL_PREVIOUS, GL_TEXTURE}, false);
        alpha = Plain(GL_MODULATE, {GL_TEXTURE, GL_PREVIOUS}, true);
        break;
    case StageCombine::Add:
        colour = Plain(GL_ADD, {GL_TEXTURE, GL_PREVIOUS}, false);
        alpha = Plain(GL_ADD, {GL_TEXTURE, GL_PREVIOUS}, true);
        break;
    case StageCombine::Custom:
        colour = Custom(stage.colourOperation, stage.colourArgument, stage.colourModifier, false);
        alpha = Custom(stage.alphaOperation, stage.alphaArgument, stage.alphaModifier, true);
        break;
    default: // modulate, and any unknown combination
        colour = Plain(GL_MODULATE, {GL_TEXTURE, GL_PREVIOUS}, false);
        alpha = Plain(GL_MODULATE, {GL_TEXTURE, GL_PREVIOUS}, true);
        break;
    }
    SetCombiner(colour, false);
    SetCombiner(alpha, true);
}

// Coordinate generation of the active unit. Generated coordinates are 3D
// with q = 1 (an object-linear q of w), so the texture matrix and GL's
// divide by q see what the engine's 3-coordinate texture transform sees.
// Eye-linear planes are taken through the inverse model-view current at the
// time they are given: the caller has the identity loaded.
void ApplyGeneration(TexCoordGeneration generation)
{
    static constexpr GLenum kCoordinates[4] = {GL_S, GL_T, GL_R, GL_Q};
    static constexpr GLenum kEnables[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
    const GLenum mode = ToGLGenerationMode(generation);
    if (mode == GL_NONE)
    {
        for (GLenum enable : kEnables)
            glDisable(enable);
        return;
    }
    const int generated = generation == TexCoordGeneration::SphereMap ? 2 : 3; // s and t only
    for (int i = 0; i < 3; ++i)
    {
        if (i < generated)
        {
            glTexGeni(kCoordinates[i], GL_TEXTURE_GEN_MODE, static_cast<GLint>(mode));
            if (generation == TexCoordGeneration::CameraPosition)
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
    // A pass starts clean: no textures on stages 0..6 (those the device
    // has) and no programs, so nothing bound for an earlier pass shows
    // through this one.
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
        glBlendFunc(ToGL(state->sourceBlend, BlendFactor::SourceAlpha),
                    ToGL(state->destinationBlend, BlendFactor::InverseSourceAlpha));
    }
    else
        glDisable(GL_BLEND);

    if (state->alphaTestEnabled)
    {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(ToGL(state->alphaFunction, CompareFunction::Always),
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
        if (state->fogMode == FogMode::Linear)
        {
            glFogi(GL_FOG_MODE, GL_LINEAR);
            glFogf(GL_FOG_START, state->fogStart);
            glFogf(GL_FOG_END, state->fogEnd);
        }
        else
        {
            glFogi(GL_FOG_MODE, static_cast<GLint>(ToGL(state->fogMode, FogMode::Exponential)));
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

    glShadeModel(ToGL(state->shadeMode, ShadeMode::Gouraud));

    if (state->stencilEnabled)
    {
        glEnable(GL_STENCIL_TEST);
        glStencilMask(~0u);
        const GLenum function = ToGL(state->stencilFunction, CompareFunction::Always);
        const GLint reference = state->stencilReference;
        const GLenum fail = ToGL(state->stencilFail, StencilOperation::Keep);
        const GLenum depthFail = ToGL(state->stencilDepthFail, StencilOperation::Keep);
        const GLenum pass = ToGL(state->stencilPass, StencilOperation::Keep);
        if (state->twoSidedStencil)
        {
            // The draw makes GL's front face the one the viewer sees
            // counter-clockwise (whatever the target's orientation), so the
            // counter-clockwise settings go to the front, the others back.
            gl.stencilFuncSeparate(GL_BACK, function, reference, ~0u);
            gl.stencilOpSeparate(GL_BACK, fail, depthFail, pass);
            gl.stencilFuncSeparate(GL_FRONT, ToGL(state->ccwStencilFunction, CompareFunction::Always), reference, ~0u);
            gl.stencilOpSeparate(GL_FRONT, ToGL(state->ccwStencilFail, StencilOperation::Keep),
                                 ToGL(state->ccwStencilDepthFail, StencilOperation::Keep),
                                 ToGL(state->ccwStencilPass, StencilOperation::Keep));
        }
        else
        {
            glStencilFunc(function, reference, ~0u);
            glStencilOp(fail, depthFail, pass);
        }
    }
    else
        glDisable(GL_STENCIL_TEST);

    glPolygonMode(GL_FRONT_AND_BACK, ToGL(state->fillMode, FillMode::Solid));

    depthFunction = state->depthFunction;
    if (state->depthEnabled)
    {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(state->depthWrite ? GL_TRUE : GL_FALSE);
        glDepthFunc(ToGL(state->depthFunction, CompareFunction::LessEqual));
    }
    else
    {
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
    }

    // The eight stages, each on its own unit; fixed-function state only on
    // the units that have it, the sampler state on every bound texture.
    // Eye-linear planes need the identity model-view while they are given.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    bool normalise = false;
    const uint32_t fixedStages = FixedStages();
    for (uint32_t index = 0; index < RenderStateBlock::kStageCount; ++index)
    {
        const RenderStateBlock::TextureStage& stage = state->stages[index];
        if (index < fixedStages)
        {
            gl.activeTexture(GL_TEXTURE0 + index);
            ApplyCombine(stage);
            float factor[4];
            PackColour(stage.textureFactor, factor);
            glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);

            const TexCoordGeneration generation =
                IsKnown(stage.texCoordGeneration) ? stage.texCoordGeneration : TexCoordGeneration::None;
            if (generation != texCoordGeneration[index])
                textureMatrixForm[index] = kTextureMatrixStale; // the matrix GL needs depends on it
            texCoordGeneration[index] = generation;
            ApplyGeneration(generation);
            normalise = normalise || ToGLGenerationMode(generation) != GL_NONE;
        }

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
    for (uint32_t index = 0; index < fixedStages; ++index)
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
