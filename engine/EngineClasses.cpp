#include "engine/EngineClasses.h"

#include "engine/codecs/image/BMPImageCodec.h"
#include "engine/codecs/image/CUBEImageCodec.h"
#include "engine/image/Image.h"
#include "engine/codecs/image/JPGImageCodec.h"
#include "engine/codecs/rar/RAR2FileCodec.h"
#include "engine/codecs/STRSceneCodec.h"
#include "engine/codecs/image/TGAImageCodec.h"
#include "engine/image/VolumeImage.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Object.h"
#include "engine/files/CodecManager.h"
#include "engine/files/FileManager.h"
#include "engine/files/InputManager.h"
#include "engine/files/ModuleManager.h"
#include "engine/render/BaseTexture.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/CompositeTexture.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/Effect.h"
#include "engine/render/Font.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/MSFont.h"
#include "engine/render/NormalmapTextureController.h"
#include "engine/render/Pass.h"
#include "engine/render/RenderCubeTextureController.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/RenderTextureController.h"
#include "engine/render/SceneNodeEffect.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/PostRenderEffect.h"
#include "engine/render/Bloom5PostRenderEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/TextureFont.h"
#include "engine/render/TextureFont2.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/LightmapTexture1DLEffect.h"
#include "engine/render/LightmapTextureEffect.h"
#include "engine/render/GrassEffect.h"
#include "engine/render/FurEffect.h"
#include "engine/render/FurLightingEffect.h"
#include "engine/render/FurVertexLightingEffect.h"
#include "engine/render/LightmapGrassEffect.h"
#include "engine/render/NormalmapLightmapTexture1DLEffect.h"
#include "engine/render/NormalmapLightmapTextureEffect.h"
#include "engine/render/NormalmapTexture1DL1PLEffect.h"
#include "engine/render/NormalmapTextureLightingEffect.h"
#include "engine/render/NormalmapTexturePixelLightingEffect.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/ParallaxLightmapTexture1DLEffect.h"
#include "engine/render/ParallaxLightmapTextureEffect.h"
#include "engine/render/NormalmapTextureEffect.h"
#include "engine/render/ParallaxTexture1DLEffect.h"
#include "engine/render/ParallaxTextureEffect.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/TextureLightingEffect.h"
#include "engine/render/TexturePixelLightingEffect.h"
#include "engine/render/Shader.h"
#include "engine/render/VertexShader.h"
#include "engine/render/PixelShader.h"
#include "engine/render/ProgramPass.h"
#include "engine/render/VolumeTexture.h"
#include "engine/render/gl/GLRenderer.h"
#include "engine/scene/Animation.h"
#include "engine/scene/AnimationController.h"
#include "engine/scene/BoolAnimation.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CameraActivateAnimationController.h"
#include "engine/scene/CameraCulledController.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/Emitter.h"
#include "engine/core/Controller.h"
#include "engine/scene/FPCamera.h"
#include "engine/scene/Flare.h"
#include "engine/scene/Grass.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/Foliage.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Lines.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeAnimation.h"
#include "engine/scene/NodeAnimationController.h"
#include "engine/scene/ParticleSystem.h"
#include "engine/scene/PathAnimation.h"
#include "engine/scene/PathAnimationController.h"
#include "engine/scene/PointEmitter.h"
#include "engine/scene/Points.h"
#include "engine/scene/PositionEmitter.h"
#include "engine/scene/PostUpdateController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/ScreensaverController.h"
#include "engine/scene/SkeletonAnimationController.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/SphereVolumeEmitter.h"
#include "engine/scene/SpriteParticleSystem.h"
#include "engine/scene/StripLines.h"
#include "engine/scene/TargetCameraController.h"
#include "engine/scene/TargetLightController.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/TrianglesEmitter.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "engine/scene/WindowPlane.h"
#include "sound/SoundManager.h"
#include "sound/SoundNode.h"
#include "sound/SoundNode2.h"
#include "sound/SoundNodeAnimation.h"
#include "sound/SoundNodeAnimationController.h"

void RegisterEngineClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    Object::RegisterClassFunctions();

    // managers
    AddInitializeFunction(&FileManager::Initialize);
    AddInitializeFunction(&InputManager::Initialize);
    AddInitializeFunction(&ModuleManager::Initialize);
    AddInitializeFunction(&CodecManager::Initialize);
    AddInitializeFunction(&FontManager::Initialize);
    AddInitializeFunction(&SoundManager::Initialize);
    AddTerminateFunction(&FileManager::Terminate);
    AddTerminateFunction(&InputManager::Terminate);
    AddTerminateFunction(&ModuleManager::Terminate);
    AddTerminateFunction(&CodecManager::Terminate);
    AddTerminateFunction(&FontManager::Terminate);
    AddTerminateFunction(&SoundManager::Terminate);

    // classes, each before the classes that use it
    Controller::RegisterClassFunctions();

    // images
    Image::RegisterClassFunctions();
    VolumeImage::RegisterClassFunctions();

    // scene graph
    BoundingVolume::RegisterClassFunctions();
    SphereBoundingVolume::RegisterClassFunctions();
    Buffer::RegisterClassFunctions();
    FloatBuffer::RegisterClassFunctions();
    IntBuffer::RegisterClassFunctions();
    Vector2Buffer::RegisterClassFunctions();
    Vector3Buffer::RegisterClassFunctions();
    Vector4Buffer::RegisterClassFunctions();
    ColorBuffer::RegisterClassFunctions();
    Node::RegisterClassFunctions();
    SceneNode::RegisterClassFunctions();
    GeometryNode::RegisterClassFunctions();
    Points::RegisterClassFunctions();
    Lines::RegisterClassFunctions();
    StripLines::RegisterClassFunctions();
    Triangles::RegisterClassFunctions();
    WindowPlane::RegisterClassFunctions();
    Grass::RegisterClassFunctions();
    Camera::RegisterClassFunctions();
    FPCamera::RegisterClassFunctions();
    Light::RegisterClassFunctions();
    PostUpdateController::RegisterClassFunctions();
    SkinController::RegisterClassFunctions();
    CameraCulledController::RegisterClassFunctions();
    TargetCameraController::RegisterClassFunctions();
    TargetLightController::RegisterClassFunctions();
    ScreensaverController::RegisterClassFunctions();
    // animations
    Animation::RegisterClassFunctions();
    NodeAnimation::RegisterClassFunctions();
    PathAnimation::RegisterClassFunctions();
    BoolAnimation::RegisterClassFunctions();
    AnimationController::RegisterClassFunctions();
    NodeAnimationController::RegisterClassFunctions();
    PathAnimationController::RegisterClassFunctions();
    SkeletonAnimationController::RegisterClassFunctions();
    CameraActivateAnimationController::RegisterClassFunctions();
    // particles
    Emitter::RegisterClassFunctions();
    PointEmitter::RegisterClassFunctions();
    SphereVolumeEmitter::RegisterClassFunctions();
    TrianglesEmitter::RegisterClassFunctions();
    PositionEmitter::RegisterClassFunctions();
    ParticleSystem::RegisterClassFunctions();
    SpriteParticleSystem::RegisterClassFunctions();
    Foliage::RegisterClassFunctions();
    Flare::RegisterClassFunctions();

    // textures
    BaseTexture::RegisterClassFunctions();
    Texture::RegisterClassFunctions();
    CubeTexture::RegisterClassFunctions();
    VolumeTexture::RegisterClassFunctions();
    CompositeTexture::RegisterClassFunctions();
    NormalmapTextureController::RegisterClassFunctions();
    RenderTextureController::RegisterClassFunctions();
    RenderCubeTextureController::RegisterClassFunctions();

    // effects
    RenderStateBlock::RegisterClassFunctions();
    Pass::RegisterClassFunctions();
    GeometryNodeEffectPass::RegisterClassFunctions();
    ProgramPass::RegisterClassFunctions();
    HardwareLightPass::RegisterClassFunctions();
    Effect::RegisterClassFunctions();
    GeometryNodeEffect::RegisterClassFunctions();
    SceneNodeEffect::RegisterClassFunctions();
    ShadowmapEffect::RegisterClassFunctions();
    RenderShadowmapEffectController::RegisterClassFunctions();
    PostRenderEffect::RegisterClassFunctions();
    Bloom5PostRenderEffect::RegisterClassFunctions();
    ColorEffect::RegisterClassFunctions();
    TextureEffect::RegisterClassFunctions();
    LightmapTextureEffect::RegisterClassFunctions();
    GrassEffect::RegisterClassFunctions();
    LightmapGrassEffect::RegisterClassFunctions();
    NormalmapTextureEffect::RegisterClassFunctions();
    ParallaxTextureEffect::RegisterClassFunctions();
    NormalmapLightmapTextureEffect::RegisterClassFunctions();
    ParallaxLightmapTextureEffect::RegisterClassFunctions();
    TextureLightingEffect::RegisterClassFunctions();
    NormalmapTextureLightingEffect::RegisterClassFunctions();
    FurEffect::RegisterClassFunctions();
    FurLightingEffect::RegisterClassFunctions();
    // shader programs and the lit shader effects
    Shader::RegisterClassFunctions();
    VertexShader::RegisterClassFunctions();
    PixelShader::RegisterClassFunctions();
    Texture1DLEffect::RegisterClassFunctions();
    LightmapTexture1DLEffect::RegisterClassFunctions();
    Texture1DL1PLEffect::RegisterClassFunctions();
    NormalmapTexture1DLEffect::RegisterClassFunctions();
    ParallaxTexture1DLEffect::RegisterClassFunctions();
    NormalmapLightmapTexture1DLEffect::RegisterClassFunctions();
    ParallaxLightmapTexture1DLEffect::RegisterClassFunctions();
    NormalmapTexture1DL1PLEffect::RegisterClassFunctions();
    TexturePixelLightingEffect::RegisterClassFunctions();
    NormalmapTexturePixelLightingEffect::RegisterClassFunctions();
    FurVertexLightingEffect::RegisterClassFunctions();
    SpriteEffect::RegisterClassFunctions();

    // fonts
    Font::RegisterClassFunctions();
    TextureFont2::RegisterClassFunctions();
    TextureFont::RegisterClassFunctions();
    MSFont::RegisterClassFunctions();

    // sound
    SoundNode::RegisterClassFunctions();
    SoundNode2::RegisterClassFunctions();
    SoundNodeAnimation::RegisterClassFunctions();
    SoundNodeAnimationController::RegisterClassFunctions();

    // built-in modules, registered after every class factory exists: the
    // renderer, the image codecs, the scene codec, the archive codec
    AddPostInitializeFunction(&RegisterOpenGLModule);
    // image codecs
    AddPostInitializeFunction(&BMPImageCodec::RegisterModule);
    AddPostInitializeFunction(&JPGImageCodec::RegisterModule);
    AddPostInitializeFunction(&TGAImageCodec::RegisterModule);
    AddPostInitializeFunction(&CUBEImageCodec::RegisterModule);
    AddPostInitializeFunction(&STRSceneCodec::RegisterModule);
    // archive codec
    AddPostInitializeFunction(&RAR2FileCodec::RegisterModule);
}
