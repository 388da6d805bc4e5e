#include "engine/render/Texture1DLEffect.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Stream.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/PixelShader.h"
#include "engine/render/Renderer.h"
#include "engine/render/Technique.h"
#include "engine/render/Texture1DLPrograms.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

QRE_IMPLEMENT_CLASS(Texture1DLEffect, TextureEffect)

static_assert(sizeof(Matrix4) == 16 * sizeof(float), "bone matrices are uploaded as packed rows");

namespace
{

using Lighting = Texture1DLEffect::Lighting;

// One float4 register from a colour, a vector or loose values.
struct Register
{
    float v[4];
};

Register Of(const Vector4& c)
{
    return {{c.x, c.y, c.z, c.w}};
}

Register Of(const Vector3& v, float w)
{
    return {{v.x, v.y, v.z, w}};
}

void Upload(Renderer& renderer, bool pixel, uint32_t start, const Register& value)
{
    if (pixel)
        renderer.SetPixelShaderConstants(start, value.v, 1);
    else
        renderer.SetVertexShaderConstants(start, value.v, 1);
}

// Four rows, as the programs take a matrix.
void UploadMatrix(Renderer& renderer, uint32_t start, const Matrix4& matrix)
{
    renderer.SetVertexShaderConstants(start, &matrix.m[0][0], 4);
}

// A pass that draws with programs: it holds every variant it may need
// (made with the pass) and takes the one the effect's settings ask for at
// each application, so a change of wind or skinning needs no new pass.
class ProgramPass : public GeometryNodeEffectPass
{
public:
    ProgramPass(Texture1DLEffect* effect, Lighting lighting)
        : GeometryNodeEffectPass(effect), lit(effect), lighting(lighting)
    {
        using namespace Texture1DLPrograms;
        if (lighting == Texture1DLEffect::kPixelLit)
        {
            plain = new (std::nothrow) VertexShader(String("Texture1DL.PixelLit"), String(kPixelLitVertex));
            wind = new (std::nothrow) VertexShader(String("Texture1DL.PixelLitWind"), String(kPixelLitWindVertex));
            skinned = new (std::nothrow)
                VertexShader(String("Texture1DL.PixelLitSkinned"), String(kPixelLitSkinnedVertex));
            pixel = new (std::nothrow) PixelShader(String("Texture1DL.Pixel"), String(kPixelLitPixel));
        }
        else
        {
            plain = new (std::nothrow) VertexShader(String("Texture1DL.VertexLit"), String(kVertexLit));
            wind = new (std::nothrow) VertexShader(String("Texture1DL.VertexLitWind"), String(kVertexLitWind));
        }
    }

    bool Complete() const
    {
        return GetState() && plain && wind && (lighting != Texture1DLEffect::kPixelLit || (skinned && pixel));
    }

    int32_t Apply() override
    {
        Renderer* renderer = GetRenderer();
        GeometryNode* geometry = renderer ? renderer->GetGeometry() : nullptr;
        if (!renderer || !geometry || !GetState())
            return 1;
        // Only the per-pixel programs skin; the device-skinning rule of the
        // effect's update keeps a controller away from devices without them.
        const bool skinning = skinned && lit->GetSkinController();
        Shader* vertex = skinning ? skinned.Get() : (lit->GetWindEnabled() ? wind.Get() : plain.Get());
        return lit->BindPrograms(*renderer, *geometry, *GetState(), vertex, pixel.Get(), skinning);
    }

private:
    Texture1DLEffect* lit; // back pointer, as the base's
    Lighting lighting;
    Ptr<VertexShader> plain;
    Ptr<VertexShader> wind;
    Ptr<VertexShader> skinned;
    Ptr<PixelShader> pixel;
};

// The fallback: one hardware light through the effect's fixed-function
// bindings.
class LightPass : public GeometryNodeEffectPass
{
public:
    explicit LightPass(Texture1DLEffect* effect) : GeometryNodeEffectPass(effect), lit(effect) {}

    int32_t Apply() override
    {
        Renderer* renderer = GetRenderer();
        GeometryNode* geometry = renderer ? renderer->GetGeometry() : nullptr;
        if (!renderer || !geometry)
            return 1;
        return lit->BindFixedFunction(*renderer, *geometry);
    }

private:
    Texture1DLEffect* lit; // back pointer
};

// Shader models the per-pixel programs (2.0) run on.
bool ProgramLevel(ShaderLevel level)
{
    return level == ShaderLevel::Model2 || level == ShaderLevel::Model3;
}

class LitTechnique : public Technique
{
public:
    LitTechnique(Texture1DLEffect* effect, Lighting lighting) : effect(effect), lighting(lighting) {}

    bool IsSupported(const Renderer& renderer) override
    {
        const DeviceCaps& caps = renderer.GetCaps();
        const bool enough = caps.simultaneousTextures >= 2 && caps.maxLights >= 1;
        switch (lighting)
        {
        case Texture1DLEffect::kPixelLit:
            if (!enough || !ProgramLevel(caps.vertexShaderLevel) || !ProgramLevel(caps.pixelShaderLevel))
                return false;
            break;
        case Texture1DLEffect::kVertexLit:
            if (!enough || !(ProgramLevel(caps.vertexShaderLevel) || caps.vertexShaderLevel == ShaderLevel::Model1))
                return false;
            break;
        default:
            break; // any device lights with fixed function
        }
        if (GetPassCount() > 0)
            return true;
        Ptr<GeometryNodeEffectPass> pass;
        if (lighting == Texture1DLEffect::kFixedFunction)
            pass = new (std::nothrow) LightPass(effect);
        else
        {
            Ptr<ProgramPass> programs = new (std::nothrow) ProgramPass(effect, lighting);
            if (programs && programs->Complete())
                pass = programs.Get();
        }
        if (!pass || !pass->GetState())
            return false;
        return AddPass(pass.Get()) == 0;
    }

private:
    Texture1DLEffect* effect; // back pointer: the effect owns the technique
    Lighting lighting;
};

} // namespace

Texture1DLEffect::Texture1DLEffect(const String& name) : TextureEffect(name)
{
    // The lit techniques replace the texture effect's unlit one.
    ClearTechniques();
    static constexpr Lighting kOrder[3] = {kPixelLit, kVertexLit, kFixedFunction};
    for (uint32_t i = 0; i < 3; ++i)
    {
        std::unique_ptr<Technique> made(new (std::nothrow) LitTechnique(this, kOrder[i]));
        techniques[i] = made.get();
        if (made && AddTechnique(std::move(made)) != 0)
            techniques[i] = nullptr;
    }
}

int32_t Texture1DLEffect::SetLight(Light* newLight)
{
    return light.Set(*this, newLight);
}

Texture1DLEffect::Lighting Texture1DLEffect::GetLighting() const
{
    const Technique* active = GetActiveTechnique();
    for (uint32_t i = 0; i < 3; ++i)
        if (active && active == techniques[i])
            return static_cast<Lighting>(i);
    return kNotChosen;
}

int32_t Texture1DLEffect::BindFixedFunction(Renderer& renderer, GeometryNode& geometry)
{
    renderer.SetVertexShader(nullptr);
    renderer.SetPixelShader(nullptr);
    const int32_t result = TextureEffect::BindFixedFunction(renderer, geometry);
    if (result != 0)
        return result;
    renderer.SetNormalStream(geometry.GetNormals());
    if (Light* source = light.Get())
        renderer.PushLight(source);
    return 0;
}

int32_t Texture1DLEffect::BindPrograms(Renderer& renderer, GeometryNode& geometry, const RenderStateBlock& material,
                                       Shader* vertexProgram, Shader* pixelProgram, bool skinned)
{
    Camera* camera = renderer.GetCamera();
    SkinController* skin = skinned ? GetSkinController() : nullptr;
    Vector3Buffer* positions = geometry.GetVertices();
    Vector3Buffer* normals = geometry.GetNormals();
    if (skin)
    {
        // The program deforms the rest pose; the geometry's own vertices
        // are whatever the CPU last wrote.
        if (skin->GetRestVertices())
            positions = skin->GetRestVertices();
        if (skin->GetRestNormals())
            normals = skin->GetRestNormals();
    }
    if (!camera || !vertexProgram || !positions || positions->GetCount() == 0)
        return 1;
    uint32_t bones = skin ? skin->GetBoneCount() : 0;
    if (skin && (bones == 0 || !skin->GetBoneMatrices()))
        return 1;
    if (bones > Texture1DLPrograms::kMaxBones)
        bones = Texture1DLPrograms::kMaxBones;

    renderer.SetIndexBuffer(geometry.GetIndices());
    renderer.SetPositionStream(positions);
    renderer.SetNormalStream(normals);
    renderer.SetColorStream(nullptr);
    renderer.SetTexCoordStream(0, geometry.GetTextureCoordinates(GetTexCoordSet()));
    renderer.SetBlendWeightStream(skin ? skin->GetWeights() : nullptr);
    renderer.SetBlendIndexStream(skin ? skin->GetBoneIndices() : nullptr);
    renderer.SetTexture(0, GetTexture());
    renderer.SetVertexShader(vertexProgram);
    renderer.SetPixelShader(pixelProgram);

    // Without a light the light's colours are zero and its direction +z.
    Vector4 lightAmbient(0.0f, 0.0f, 0.0f, 0.0f);
    Vector4 lightDiffuse(0.0f, 0.0f, 0.0f, 0.0f);
    Vector4 lightSpecular(0.0f, 0.0f, 0.0f, 0.0f);
    Vector3 towards(0.0f, 0.0f, 1.0f);
    if (Light* source = light.Get())
    {
        lightAmbient = source->GetAmbient();
        lightDiffuse = source->GetDiffuse();
        lightSpecular = source->GetSpecular();
        towards = source->GetLightType() == Light::kFixedDirectional ? Vector3(0.0f, 0.0f, -1.0f)
                                                                      : -source->GetDirection();
    }
    const Vector3 eye = camera->GetPosition();
    const Matrix4& view = camera->GetView();
    const Matrix4& projection = camera->GetProjection();
    const float wind[4] = {GetWindAmplitude(), GetWindSpeed(), GetTime(), 0.0f};
    const Register fog = {{GetFogDensity(), GetFogExponent(), GetWindAmplitude(), GetWindSpeed()}};

    Vector3 direction = towards;
    if (skin)
    {
        // Skinned vertices come out in world space.
        UploadMatrix(renderer, 0, view * projection);
        UploadMatrix(renderer, 4, view);
        renderer.SetVertexShaderConstants(Texture1DLPrograms::kBonePaletteRegister,
                                          &skin->GetBoneMatrices()[0].m[0][0], bones * 4);
        Upload(renderer, false, Texture1DLPrograms::kSkinnedCameraRegister, Of(eye, 1.0f));
        Upload(renderer, false, Texture1DLPrograms::kSkinnedFogRegister, fog);
    }
    else
    {
        // Lighting runs in object space: the light and the eye are brought
        // there once per draw rather than every vertex to world space.
        const Matrix4 world = geometry.GetWorldTransform().ToMatrix();
        Matrix4 inverse;
        if (!world.Inverse(inverse))
            inverse = Matrix4::Identity();
        const Matrix4 worldView = world * view;
        UploadMatrix(renderer, 0, worldView * projection);
        UploadMatrix(renderer, 4, worldView);
        direction = inverse.TransformVector(towards);
        const Vector3 eyeInObject = inverse.TransformPoint(eye);
        if (!pixelProgram)
        {
            Upload(renderer, false, 8, Of(material.ambient));
            Upload(renderer, false, 9, Of(material.diffuse));
            Upload(renderer, false, 10, Of(material.specular));
            Upload(renderer, false, 11, Of(material.emissive));
            Upload(renderer, false, 12, {{material.power, 0.0f, 0.0f, 0.0f}});
            Upload(renderer, false, 13, Of(lightAmbient));
            Upload(renderer, false, 14, Of(lightDiffuse));
            Upload(renderer, false, 15, Of(lightSpecular));
            direction.Normalize();
            Upload(renderer, false, 16, Of(direction, 0.0f));
            Upload(renderer, false, 17, Of(eyeInObject, 1.0f));
            Upload(renderer, false, 18, fog);
            renderer.SetVertexShaderConstants(19, wind, 1);
            return 0;
        }
        Upload(renderer, false, 8, Of(eyeInObject, 1.0f));
        Upload(renderer, false, 9, fog);
        renderer.SetVertexShaderConstants(10, wind, 1);
    }
    direction.Normalize();
    Upload(renderer, true, 0, Of(lightSpecular));
    Upload(renderer, true, 1, Of(material.specular));
    Upload(renderer, true, 2, Of(direction, 0.0f));
    Upload(renderer, true, 3, {{0.0f, 0.0f, 0.0f, 0.0f}});
    Upload(renderer, true, 4, {{material.power, 0.0f, 0.0f, 0.0f}});
    Upload(renderer, true, 5, Of(material.ambient));
    Upload(renderer, true, 6, Of(lightAmbient));
    Upload(renderer, true, 7, Of(material.diffuse));
    Upload(renderer, true, 8, Of(lightDiffuse));
    Upload(renderer, true, 9, Of(material.emissive));
    return 0;
}

bool Texture1DLEffect::Holds(const Object* other) const
{
    return TextureEffect::Holds(other) || light.Holds(other);
}

int32_t Texture1DLEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return light.Save(stream, *this);
}

int32_t Texture1DLEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (light.Load(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
