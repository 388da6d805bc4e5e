#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/BaseTexture.h"
#include "engine/render/FamilyMember.h"
#include "engine/render/TextureEffect.h"

// Fur as shells: the geometry drawn once as it is (colour x texture), then
// shellCount times over it, shell i of n moved i / (n + 1) x furLength
// along the normals and blended by its alpha, the fur texture's alpha x
// (1 - fade x i / (n + 1)), so the fur thins towards its tips. Unlit; by
// vertex and pixel programs 2.0 (plain, wind or skinned), else by fixed
// function with the shells moved on the CPU.
class FurEffect : public TextureEffect, public FamilyMember
{
    QRE_DECLARE_CLASS

public:
    // Shells at most (more would only cost fill).
    static constexpr int32_t kMaxShells = 256;

    explicit FurEffect(const String& name = String());

    // How far the outermost shell's reach is along the normal; a value that
    // is not finite counts as 0.
    float GetFurLength() const { return furLength; }
    void SetFurLength(float length);
    // The shells over the base pass, brought into 0..kMaxShells with a
    // warning when it had to be; the passes follow on the next draw.
    int32_t GetShellCount() const { return shellCount; }
    void SetShellCount(int32_t count);
    // How much the outer shells fade; not finite counts as 0.
    float GetFade() const { return fade; }
    void SetFade(float value);
    // The texture whose alpha the shells draw with (held; null draws them
    // with the texture's colour and no alpha of their own). 3 (refused,
    // logged) when it is this effect or holds it.
    BaseTexture* GetFurTexture() const { return furTexture.Get(); }
    int32_t SetFurTexture(BaseTexture* texture);

    // The passes a technique draws with: the base and every shell.
    static uint32_t CountPasses(const GeometryNodeEffect& effect);

    // Built again when the shell count changed since the technique was.
    uint32_t PassCount() override;

    // The shells blend over what is behind them, so the whole fur waits for
    // the transparent geometry's turn.
    bool IsTransparent() const override { return true; }

    // The texture on stage 0 from its set; for a shell the fur texture on
    // stage 1 (the fixed-function stage 1 too, same set), its offset and its
    // alpha factor.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;
    // The search reaches the fur texture too.
    void CollectByType(const RTTI& type, Array<Object*>& found) override;

    // streaming: float furLength, int32 shellCount, float fade, then the fur
    // texture link (another class loads as none, after a warning)
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // For the lit members: their own techniques replace the unlit ones.
    struct KeepTechniques
    {
    };
    FurEffect(const String& name, KeepTechniques);

private:
    float furLength = 0.05f;
    int32_t shellCount = 8;
    float fade = 0.5f;
    Ptr<BaseTexture> furTexture;
};
