#pragma once

// The translated and linked shader programs of the renderer. Internal to
// engine/render/gl.
class GLShaderCache
{
public:
};
