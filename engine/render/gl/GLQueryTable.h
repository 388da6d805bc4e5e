#pragma once

// The device occlusion queries of the renderer. Internal to engine/render/gl.
class GLQueryTable
{
public:
};
