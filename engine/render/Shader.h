#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/String.h"

class Renderer;

// A shader program as assembly text (its first line names the version),
// made in code by the effects and assembled by the renderer on its first
// bind. Never streamed beyond the Object data: the texts live in the
// executable.
class Shader : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit Shader(const String& name = String(), const String& text = String());
    // Asks the renderer that holds the device copy to let it go.
    ~Shader() override;

    // Which device call binds it; the renderer asks instead of testing the
    // class.
    virtual bool IsPixelShader() const { return false; }

    // The program text. A new text makes the next bind assemble again.
    const String& GetText() const { return text; }
    void SetText(const String& newText);

    // device-object record: set when the text changed since the renderer
    // assembled it (a new shader has never been assembled)
    bool IsChanged() const { return changed; }
    void MarkChanged() { changed = true; }
    void ClearChanged() { changed = false; }

    // The renderer that holds the device copy (a reference, so it outlives
    // the copy) and its opaque handle; null until a renderer makes one.
    void* GetDeviceHandle() const { return deviceHandle; }
    Renderer* GetDeviceRenderer() const { return deviceRenderer.Get(); }
    void SetDeviceHandle(Renderer* renderer, void* handle);

private:
    String text;
    Ptr<Renderer> deviceRenderer;
    void* deviceHandle = nullptr;
    bool changed = true;
};
