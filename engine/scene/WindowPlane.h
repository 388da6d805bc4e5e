#pragma once
#include "engine/core/Vector2.h"
#include "engine/scene/Triangles.h"

// A triangle mesh drawn in screen space, outside the camera's projection:
// the mesh's unit square is stretched over a rectangle of the view, where
// (0, 0) is the bottom-left corner and (1, 1) the top-right. Never culled.
class WindowPlane : public Triangles
{
    QRE_DECLARE_CLASS

public:
    explicit WindowPlane(const String& name = String()) : Triangles(name) {}

    const Vector2& GetPosition() const { return position; }
    const Vector2& GetSize() const { return size; }
    void SetPosition(const Vector2& value) { position = value; }
    void SetSize(const Vector2& value) { size = value; }

    // Drawn without any plane test (a hidden plane stays hidden).
    void DrawCulled(Renderer& renderer) override;
    // Nothing without an enabled effect or vertices; a transparent effect
    // puts the plane on the renderer's window-plane list; otherwise drawn
    // at once.
    void Draw(Renderer& renderer) override;
    // Places the mesh over its rectangle and draws it with the camera's
    // matrices swapped for the screen mapping, then puts them back.
    void DrawDeferred(Renderer& renderer) override;
    // An unbounded sphere around the origin, so no bound that holds the
    // plane is ever culled.
    void UpdateModelBound() override;

    // streaming: position, size
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Vector2 position;
    Vector2 size;
};
