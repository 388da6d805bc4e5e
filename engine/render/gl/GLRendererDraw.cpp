// The fixed-function side of GLRenderer: matrices, streams, lights and the
// draws themselves. (State blocks: GLRendererState.cpp.)
#include "engine/render/gl/GLRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <new>

#include "engine/render/DrawConstants.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLDeviceValues.h"
#include "engine/render/gl/GLFunctions.h"
#include "engine/render/gl/GLTextureCache.h"
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

// Every colour reaches the device packed 8 bits per channel (each
// component clamped, times 255, truncated); the colour stream of a device
// without float colours is packed the same way.
uint8_t PackComponent(float value)
{
    const float clamped = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    return static_cast<uint8_t>(clamped * 255.0f);
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

// Whole primitives in n indices.
uint32_t PrimitiveCount(PrimitiveType type, uint32_t n)
{
    switch (type)
    {
    case PrimitiveType::PointList:
        return n;
    case PrimitiveType::LineList:
        return n / 2;
    case PrimitiveType::LineStrip:
        return n > 1 ? n - 1 : 0;
    case PrimitiveType::TriangleList:
        return n / 3;
    case PrimitiveType::TriangleStrip:
        return n > 2 ? n - 2 : 0;
    default:
        return 0;
    }
}

// Vertices a primitive takes, and the extra ones its strip starts with.
uint32_t PerPrimitive(PrimitiveType type)
{
    return type == PrimitiveType::LineList ? 2 : (type == PrimitiveType::TriangleList ? 3 : 1);
}

uint32_t ExtraVertices(PrimitiveType type)
{
    return type == PrimitiveType::LineStrip ? 1 : (type == PrimitiveType::TriangleStrip ? 2 : 0);
}

// Clip y negated (row-vector convention: post-multiplied).
const Matrix4 kFlipY(1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);

// How textureTransform[stage] goes into GL_TEXTURE (see TextureMatrixForm).
enum : uint8_t
{
    kFormIdentity = 0,
    kFormAffine = 1,           // 3-coordinate transform, q kept
    kFormAffineShifted = 2,    // the same for 2-component coordinates
    kFormProjected = 3,        // as is: GL divides by the fourth output
    kFormProjectedShifted = 4, // 2-component coordinates divided by the third
};

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

GLRenderer::Stream GLRenderer::DescribeStream(Buffer* buffer, int32_t components)
{
    const Stream stream = DescribeStream(buffer);
    return stream.components == components ? stream : Stream();
}

// matrices -------------------------------------------------------------------

void GLRenderer::LoadModelView()
{
    glMatrixMode(GL_MODELVIEW);
    LoadMatrix(worldTransform * viewTransform);
}

bool GLRenderer::ProjectionFlipsY() const
{
    return textureCache->FlipY();
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
    // GL stores rows bottom-up; a texture target keeps image rows top-down
    // (v = 0 at the top), so its picture is drawn upside down.
    if (ProjectionFlipsY())
        LoadMatrix(matrix * kDepthRemap * kFlipY);
    else
        LoadMatrix(matrix * kDepthRemap);
    glMatrixMode(GL_MODELVIEW);
    return 0;
}

int32_t GLRenderer::SetTextureMatrix(uint32_t stage, const Matrix4& matrix)
{
    if (stage >= kTexCoordSets)
        return 3;
    textureTransform[stage] = matrix;
    textureMatrixForm[stage] = kTextureMatrixStale;
    if (device && stage < FixedStages())
        LoadTextureMatrix(stage, TextureMatrixForm(stage));
    return 0;
}

// The identity switches the stage's transform off. Otherwise the engine's
// texture transform takes 2-component coordinates as the row (u, v, 1), 3- and
// 4-component ones as (x, y, z, 1), and keeps 3 outputs undivided unless the
// stage projects; GL always takes (s, t, r, q) (2-component sets come as
// (s, t, 0, 1)) and always divides by the fourth output.
uint8_t GLRenderer::TextureMatrixForm(uint32_t stage) const
{
    if (textureTransform[stage].IsIdentity())
        return kFormIdentity;
    const TexCoordGeneration generation = texCoordGeneration[stage];
    const bool fromSet = generation == TexCoordGeneration::None || generation == TexCoordGeneration::Projected;
    const bool twoComponents = fromSet && texCoord[stage].data && texCoord[stage].components <= 2;
    if (generation == TexCoordGeneration::Projected)
        return twoComponents ? kFormProjectedShifted : kFormProjected;
    return twoComponents ? kFormAffineShifted : kFormAffine;
}

void GLRenderer::LoadTextureMatrix(uint32_t stage, uint8_t form)
{
    Matrix4 loaded = textureTransform[stage];
    if (form == kFormIdentity)
        loaded = Matrix4::Identity();
    if (form == kFormAffineShifted || form == kFormProjectedShifted)
    {
        // The row the constant 1 meets moves to where GL's q meets it.
        for (int c = 0; c < 4; ++c)
        {
            loaded.m[3][c] = textureTransform[stage].m[2][c];
            loaded.m[2][c] = c == 2 ? 1.0f : 0.0f;
        }
    }
    if (form == kFormAffine || form == kFormAffineShifted)
        for (int r = 0; r < 4; ++r)
            loaded.m[r][3] = r == 3 ? 1.0f : 0.0f; // q out = q in: no divide
    else if (form == kFormProjectedShifted)
        for (int r = 0; r < 4; ++r)
            loaded.m[r][3] = loaded.m[r][2]; // divided by the third output

    const GLFunctions& gl = device->Functions();
    gl.activeTexture(GL_TEXTURE0 + stage);
    glMatrixMode(GL_TEXTURE);
    LoadMatrix(loaded);
    glMatrixMode(GL_MODELVIEW);
    gl.activeTexture(GL_TEXTURE0);
    textureMatrixForm[stage] = form;
}

void GLRenderer::SyncTextureMatrices()
{
    for (uint32_t stage = 0; stage < FixedStages(); ++stage)
    {
        const uint8_t form = TextureMatrixForm(stage);
        if (form != textureMatrixForm[stage])
            LoadTextureMatrix(stage, form);
    }
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
    normal = DescribeStream(buffer, 3);
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

// The point sizes only reach vertex programs; fixed function draws points
// of the state's size.
int32_t GLRenderer::SetPointSizeStream(Buffer* buffer)
{
    pointSize = DescribeStream(buffer, 1);
    return 0;
}

int32_t GLRenderer::SetBlendWeightStream(Buffer* buffer)
{
    blendWeight = DescribeStream(buffer, 4);
    return 0;
}

int32_t GLRenderer::SetBlendIndexStream(Buffer* buffer)
{
    blendIndex = DescribeStream(buffer, 4);
    return 0;
}

int32_t GLRenderer::SetIndexBuffer(IntBuffer* buffer)
{
    indices = buffer;
    return 0;
}

uint32_t GLRenderer::UsableVertexCount() const
{
    if (!position.data)
        return 0;
    uint32_t count = position.count;
    const Stream* others[] = {&normal, &colour, &pointSize, &blendWeight, &blendIndex};
    for (const Stream* stream : others)
        if (stream->data && stream->count < count)
            count = stream->count;
    for (const Stream& set : texCoord)
        if (set.data && set.count < count)
            count = set.count;
    return count;
}

bool GLRenderer::BindFixedFunctionArrays(uint32_t vertexCount)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(position.components, GL_FLOAT, 0, position.data);
    if (normal.data)
    {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, normal.data);
    }
    if (colour.data && caps.floatColours)
    {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, colour.data);
    }
    else if (colour.data)
    {
        // A device without float colours takes them packed, 8 bits a
        // channel like every other colour the device gets.
        if (packedCapacity < vertexCount)
        {
            packedColours.reset(new (std::nothrow) uint8_t[static_cast<size_t>(vertexCount) * 4]);
            packedCapacity = packedColours ? vertexCount : 0;
            if (!packedColours)
                return false;
        }
        const float* in = static_cast<const float*>(colour.data);
        for (size_t i = 0; i < static_cast<size_t>(vertexCount) * 4; ++i)
            packedColours[i] = PackComponent(in[i]);
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, packedColours.get());
    }
    else
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    // Coordinate sets past the fixed-function units would feed nothing.
    const GLFunctions& gl = device->Functions();
    for (uint32_t set = 0; set < FixedStages(); ++set)
    {
        if (!texCoord[set].data)
            continue;
        gl.clientActiveTexture(GL_TEXTURE0 + set);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(texCoord[set].components, GL_FLOAT, 0, texCoord[set].data);
    }
    gl.clientActiveTexture(GL_TEXTURE0);
    return true;
}

// Nothing stays enabled past the draw: the pointers go stale as soon as the
// geometry that bound them lets its buffers go.
void GLRenderer::UnbindFixedFunctionArrays()
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    const GLFunctions& gl = device->Functions();
    for (uint32_t set = 0; set < FixedStages(); ++set)
    {
        gl.clientActiveTexture(GL_TEXTURE0 + set);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    gl.clientActiveTexture(GL_TEXTURE0);
}

// draws ----------------------------------------------------------------------

void GLRenderer::IssueDraw(PrimitiveType type, uint32_t elements, const int32_t* list)
{
    const GLenum mode = ToGL(type, PrimitiveType::PointList);
    const bool flipped = ProjectionFlipsY();

    // GL's front face is always the one the viewer sees counter-clockwise:
    // a flipped target mirrors every winding, so GL's own sense turns too.
    // Culling and two-sided stencil both rely on this.
    glFrontFace(flipped ? GL_CW : GL_CCW);
    if (cullEnabled)
    {
        glEnable(GL_CULL_FACE);
        // Mirrored views swap the culled winding.
        const bool cullCounterClockwise = (cullOrder == CullOrder::CounterClockwise) != invertCulling;
        glCullFace(cullCounterClockwise ? GL_FRONT : GL_BACK);
    }
    else
        glDisable(GL_CULL_FACE);
    glDepthFunc(depthEqual ? GL_EQUAL : ToGL(depthFunction, CompareFunction::LessEqual));

    const GLFunctions& gl = device->Functions();
    if (pointSpritesOn && type == PrimitiveType::PointList)
    {
        // Sprites scale by the viewport height over the distance (the device
        // conventions at the top of Renderer.h); GL has no viewport factor,
        // so it goes into the quadratic term.
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        const float height = viewport[3] > 0 ? static_cast<float>(viewport[3]) : 1.0f;
        const float attenuation[3] = {0.0f, 0.0f, 1.0f / (height * height)};
        gl.pointParameterfv(GL_POINT_DISTANCE_ATTENUATION, attenuation);
        // Sprite coordinates start at the top of the picture as it will be
        // seen.
        gl.pointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, flipped ? GL_LOWER_LEFT : GL_UPPER_LEFT);
    }

    const uint32_t vertexCount = list ? UsableVertexCount() : elements;
    const bool program = PrepareShaderDraw();
    bool arrays = false;
    if (!program)
    {
        SyncTextureMatrices();
        arrays = BindFixedFunctionArrays(vertexCount);
    }
    if (program || arrays)
    {
        if (list)
            glDrawElements(mode, static_cast<GLsizei>(elements), GL_UNSIGNED_INT, list);
        else
            glDrawArrays(mode, 0, static_cast<GLsizei>(elements));
    }
    if (arrays)
        UnbindFixedFunctionArrays();
    if (program)
        FinishShaderDraw();
}

int32_t GLRenderer::DrawIndexed()
{
    GeometryNode* node = GetGeometry();
    if (!device || !node || !indices || !position.data || indices->GetCount() == 0 || !indices->GetData())
        return 0;
    // An index past a bound stream would have GL read beyond the buffer.
    if (indices->GetIndexBound() > UsableVertexCount())
        return 0;
    const PrimitiveType type = node->GetPrimitiveType();
    const uint32_t primitives = PrimitiveCount(type, indices->GetCount());
    if (primitives == 0)
        return 0;
    IssueDraw(type, primitives * PerPrimitive(type) + ExtraVertices(type),
              static_cast<const int32_t*>(indices->GetData()));
    return 0;
}

int32_t GLRenderer::Draw(int32_t primitiveCount)
{
    GeometryNode* node = GetGeometry();
    if (!device || !node || primitiveCount < 1 || !position.data)
        return 0;
    const PrimitiveType type = node->GetPrimitiveType();
    if (!IsKnown(type))
        return 0;
    // As many whole primitives as the shortest bound stream holds: never a
    // vertex past it.
    const uint32_t perPrimitive = PerPrimitive(type);
    const uint32_t extra = ExtraVertices(type);
    const uint32_t available = UsableVertexCount();
    if (available < perPrimitive + extra)
        return 0;
    uint32_t primitives = static_cast<uint32_t>(primitiveCount);
    const uint32_t fit = (available - extra) / perPrimitive;
    if (primitives > fit)
        primitives = fit;
    IssueDraw(type, primitives * perPrimitive + extra, nullptr);
    return 0;
}

// The call's buffers become the pass's streams and stay bound after it:
// position, texCoord as set 0, extraA and extraB as sets 1 and 2, and the
// index list; every other stream is unbound, as the layout is exactly these.
int32_t GLRenderer::DrawIndexedStreams(Buffer* newPosition, Buffer* newTexCoord, IntBuffer* newIndices,
                                       Buffer* extraA, Buffer* extraB)
{
    SetPositionStream(newPosition);
    normal = Stream();
    colour = Stream();
    pointSize = Stream();
    blendWeight = Stream();
    blendIndex = Stream();
    for (Stream& set : texCoord)
        set = Stream();
    texCoord[0] = DescribeStream(newTexCoord);
    texCoord[1] = DescribeStream(extraA, 4);
    texCoord[2] = DescribeStream(extraB, 4);
    SetIndexBuffer(newIndices);
    return DrawIndexed();
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
    // The programs' attenuation, so both paths agree and no coefficient GL
    // refuses (negative) or divides by (all zero) reaches it.
    const Vector3 attenuation = DrawConstants::Attenuation(*light);
    glLightf(id, GL_CONSTANT_ATTENUATION, attenuation.x);
    glLightf(id, GL_LINEAR_ATTENUATION, attenuation.y);
    glLightf(id, GL_QUADRATIC_ATTENUATION, attenuation.z);

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

