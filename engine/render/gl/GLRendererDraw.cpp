// The fixed-function side of GLRenderer: matrices, streams, state blocks,
// textures, lights and the draw itself.
#include "engine/render/gl/GLRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <limits>

#include "engine/codecs/Image.h"
#include "engine/core/Log.h"
#include "engine/render/Pass.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Texture.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/scene/Buffer.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace
{

constexpr GLenum kCompare[8] = {GL_NEVER, GL_LESS, GL_LEQUAL, GL_EQUAL, GL_NOTEQUAL, GL_GREATER, GL_GEQUAL, GL_ALWAYS};

constexpr GLenum kBlendFactor[10] = {GL_ZERO,      GL_ONE,       GL_SRC_COLOR,           GL_ONE_MINUS_SRC_COLOR,
                                     GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR,
                                     GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};

template <size_t N>
GLenum Pick(const GLenum (&table)[N], int32_t index, GLenum fallback)
{
    return index >= 0 && static_cast<size_t>(index) < N ? table[index] : fallback;
}

// Every colour reaches the device as a packed 8-bit-per-channel value
// (each component clamped, times 255, truncated), so GL gets the same
// quantised colour rather than the exact floats.
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

// The engine's clip depth runs 0..w, GL's -w..w: z' = 2z - w, as a matrix
// that the projection is post-multiplied with (row-vector convention).
const Matrix4 kDepthRemap(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 0, -1, 1);

// Engine matrices are row-major for row vectors (p x M); GL takes column
// vectors in column-major memory. The transpose between the conventions and
// the one between the memory layouts cancel, so the memory goes in as is.
void LoadMatrix(const Matrix4& matrix)
{
    glLoadMatrixf(&matrix.m[0][0]);
}

uint32_t PrimitiveCount(int32_t type, uint32_t n)
{
    switch (type)
    {
    case 0:
        return n;
    case 1:
        return n / 2;
    case 2:
        return n > 1 ? n - 1 : 0;
    case 3:
        return n / 3;
    case 4:
        return n > 2 ? n - 2 : 0;
    default:
        return 0;
    }
}

} // namespace

GLRenderer::Stream GLRenderer::DescribeStream(Buffer* buffer)
{
    Stream stream;
    if (!buffer || !buffer->GetData() || buffer->GetCount() == 0)
        return stream;
    int32_t components = 0;
    if (buffer->IsDerived(FloatBuffer::TYPE))
        components = 1;
    else if (buffer->IsDerived(Vector2Buffer::TYPE))
        components = 2;
    else if (buffer->IsDerived(Vector3Buffer::TYPE))
        components = 3;
    else if (buffer->IsDerived(Vector4Buffer::TYPE) || buffer->IsDerived(ColorBuffer::TYPE))
        components = 4;
    if (components == 0 || buffer->GetElementSize() != static_cast<uint32_t>(components) * sizeof(float))
        return stream;
    stream.data = buffer->GetData();
    stream.count = buffer->GetCount();
    stream.components = components;
    return stream;
}

// matrices -------------------------------------------------------------------

void GLRenderer::LoadModelView()
{
    glMatrixMode(GL_MODELVIEW);
    LoadMatrix(worldTransform * viewTransform);
}

int32_t GLRenderer::SetWorldMatrix(const Matrix4& matrix)
{
    worldTransform = matrix;
    if (device)
        LoadModelView();
    return 0;
}

int32_t GLRenderer::SetViewMatrix(const Matrix4& matrix)
{
    viewTransform = matrix;
    if (device)
        LoadModelView();
    return 0;
}

int32_t GLRenderer::SetProjectionMatrix(const Matrix4& matrix)
{
    projectionTransform = matrix;
    if (!device)
        return 0;
    glMatrixMode(GL_PROJECTION);
    LoadMatrix(matrix * kDepthRemap);
    glMatrixMode(GL_MODELVIEW);
    return 0;
}

// streams --------------------------------------------------------------------

int32_t GLRenderer::SetPositionStream(Buffer* buffer)
{
    position = DescribeStream(buffer);
    if (position.components < 2)
        position = Stream(); // GL takes 2 to 4 position components
    return 0;
}

int32_t GLRenderer::SetNormalStream(Buffer* buffer)
{
    normal = DescribeStream(buffer);
    if (normal.components != 3)
        normal = Stream();
    return 0;
}

int32_t GLRenderer::SetColorStream(Buffer* buffer)
{
    colour = buffer && buffer->IsDerived(ColorBuffer::TYPE) ? DescribeStream(buffer) : Stream();
    return 0;
}

int32_t GLRenderer::SetTexCoordStream(uint32_t index, Buffer* buffer)
{
    if (index >= kTexCoordSets)
        return 3;
    texCoord[index] = DescribeStream(buffer);
    return 0;
}

int32_t GLRenderer::SetIndexBuffer(IntBuffer* buffer)
{
    indices = buffer;
    return 0;
}

int32_t GLRenderer::DrawIndexed()
{
    GeometryNode* node = GetGeometry();
    if (!device || !node || !indices || !position.data || indices->GetCount() == 0 || !indices->GetData())
        return 0;
    // An index past a bound stream would have GL read beyond the buffer.
    uint32_t vertexCount = position.count;
    if (normal.data && normal.count < vertexCount)
        vertexCount = normal.count;
    if (colour.data && colour.count < vertexCount)
        vertexCount = colour.count;
    for (const Stream& set : texCoord)
        if (set.data && set.count < vertexCount)
            vertexCount = set.count;
    if (indices->GetIndexBound() > vertexCount)
        return 0;

    static constexpr GLenum kModes[5] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP};
    static constexpr uint32_t kPerPrimitive[5] = {1, 2, 1, 3, 1};
    static constexpr uint32_t kExtra[5] = {0, 0, 1, 0, 2};
    const int32_t type = node->GetPrimitiveType();
    const uint32_t primitives = PrimitiveCount(type, indices->GetCount());
    if (primitives == 0)
        return 0;
    const uint32_t used = primitives * kPerPrimitive[type] + kExtra[type];

    // The overrides of the renderer over the pass's own cull and depth.
    if (cullEnabled)
    {
        glEnable(GL_CULL_FACE);
        // Order 1 culls what the viewer sees counter-clockwise, 0 clockwise.
        const bool cullCounterClockwise = (cullOrder == 1) != invertCulling;
        glFrontFace(GL_CCW);
        glCullFace(cullCounterClockwise ? GL_FRONT : GL_BACK);
    }
    else
        glDisable(GL_CULL_FACE);
    glDepthFunc(depthEqual ? GL_EQUAL : Pick(kCompare, depthFunction, GL_LEQUAL));

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(position.components, GL_FLOAT, 0, position.data);
    if (normal.data)
    {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, normal.data);
    }
    else
        glDisableClientState(GL_NORMAL_ARRAY);
    if (colour.data)
    {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, colour.data);
    }
    else
    {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    // Only coordinate set 0 reaches the device until more stages are taken
    // over (the client-side unit switch is not among the loaded entry points).
    if (texCoord[0].data)
    {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(texCoord[0].components, GL_FLOAT, 0, texCoord[0].data);
    }
    else
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);

    glDrawElements(kModes[type], static_cast<GLsizei>(used), GL_UNSIGNED_INT, indices->GetData());
    return 0;
}

// state ----------------------------------------------------------------------

int32_t GLRenderer::BeginPass(Pass* pass)
{
    if (!device || !pass)
        return 0;
    // State is applied directly each time, so there is no recording that a
    // changed pass would have to drop.
    pass->ClearChanged();
    return ApplyStateBlock(pass->GetState());
}

int32_t GLRenderer::ApplyStateBlock(RenderStateBlock* state)
{
    if (!device || !state)
        return 0;

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
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, state->power < 0.0f ? 0.0f : (state->power > 128.0f ? 128.0f : state->power));

    glShadeModel(state->shadeMode == 0 ? GL_FLAT : GL_SMOOTH);
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

    const RenderStateBlock::TextureStage& stage = state->stages[0];
    StageSampler& sampler = samplers[0];
    sampler.minFilter = stage.minFilter;
    sampler.magFilter = stage.magFilter;
    sampler.addressU = stage.addressU;
    sampler.addressV = stage.addressV;
    sampler.addressW = stage.addressW;
    PackColour(stage.borderColour, sampler.borderColour);
    float factor[4];
    PackColour(stage.textureFactor, factor);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
    GLint mode = GL_MODULATE;
    switch (stage.combine)
    {
    case 0:
        mode = GL_REPLACE;
        break;
    case 1:
        mode = GL_DECAL;
        break;
    case 3:
        mode = GL_BLEND;
        break;
    case 4:
        mode = GL_ADD;
        break;
    default:
        break; // modulate; custom combiners are not taken over yet
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
    ApplySamplerState(0);
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
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

// lights ---------------------------------------------------------------------

int32_t GLRenderer::EnableLight(Light* light)
{
    const uint32_t count = GetLightCount();
    if (!device || !light || count == 0 || count > 8)
        return 0;
    const GLenum id = GL_LIGHT0 + (count - 1);
    float value[4];
    ToFloats(light->GetAmbient(), value);
    glLightfv(id, GL_AMBIENT, value);
    ToFloats(light->GetDiffuse(), value);
    glLightfv(id, GL_DIFFUSE, value);
    ToFloats(light->GetSpecular(), value);
    glLightfv(id, GL_SPECULAR, value);
    const bool attenuated = light->IsAttenuated();
    glLightf(id, GL_CONSTANT_ATTENUATION, attenuated ? light->GetConstantAttenuation() : 1.0f);
    glLightf(id, GL_LINEAR_ATTENUATION, attenuated ? light->GetLinearAttenuation() : 0.0f);
    glLightf(id, GL_QUADRATIC_ATTENUATION, attenuated ? light->GetQuadraticAttenuation() : 0.0f);

    // GL keeps light positions in eye space, taken through the model-view
    // at the time they are set: world-space lights go through the view only.
    glMatrixMode(GL_MODELVIEW);
    LoadMatrix(viewTransform);
    const int32_t type = light->GetLightType();
    Vector3 direction = type == 0 ? Vector3(0.0f, 0.0f, 1.0f) : light->GetDirection();
    if (type <= 1)
    {
        // A directional GL light is given as the way towards the light.
        const float towards[4] = {-direction.x, -direction.y, -direction.z, 0.0f};
        glLightfv(id, GL_POSITION, towards);
        glLightf(id, GL_SPOT_CUTOFF, 180.0f);
    }
    else
    {
        const Vector3 at = light->GetPosition();
        const float place[4] = {at.x, at.y, at.z, 1.0f};
        glLightfv(id, GL_POSITION, place);
        if (type == 3)
        {
            const float along[3] = {direction.x, direction.y, direction.z};
            glLightfv(id, GL_SPOT_DIRECTION, along);
            // The outer cone is 2.1 x the angle wide; GL's cutoff is half a
            // cone, at most 90 degrees. GL has no inner cone: the falloff
            // becomes the exponent of the spot's fade towards the edge.
            float cutoff = light->GetAngle() * 1.05f * 57.2957795f;
            glLightf(id, GL_SPOT_CUTOFF, cutoff > 90.0f ? 90.0f : (cutoff < 0.0f ? 0.0f : cutoff));
            const float exponent = light->GetFalloff();
            glLightf(id, GL_SPOT_EXPONENT, exponent < 0.0f ? 0.0f : (exponent > 128.0f ? 128.0f : exponent));
        }
        else
            glLightf(id, GL_SPOT_CUTOFF, 180.0f);
    }
    LoadModelView();
    glEnable(id);
    if (count == 1)
        glEnable(GL_LIGHTING);
    return 0;
}

int32_t GLRenderer::DisableLight()
{
    const uint32_t count = GetLightCount();
    if (!device || count >= 8)
        return 0;
    glDisable(GL_LIGHT0 + count);
    if (count == 0)
        glDisable(GL_LIGHTING);
    return 0;
}

// not yet taken over ---------------------------------------------------------

int32_t GLRenderer::SetPointSizeStream(Buffer* buffer)
{
    pointSize = DescribeStream(buffer);
    return 0;
}

int32_t GLRenderer::SetBlendWeightStream(Buffer* buffer)
{
    blendWeight = DescribeStream(buffer);
    return 0;
}

int32_t GLRenderer::SetBlendIndexStream(Buffer* buffer)
{
    blendIndex = DescribeStream(buffer);
    return 0;
}

int32_t GLRenderer::DrawIndexedStreams(Buffer*, Buffer*, IntBuffer*, Buffer*, Buffer*)
{
    return 0;
}

int32_t GLRenderer::Draw(int32_t)
{
    return 0;
}

int32_t GLRenderer::SetTextureMatrix(uint32_t stage, const Matrix4& matrix)
{
    if (stage >= 8)
        return 3;
    textureTransform[stage] = matrix;
    return 0;
}
