#include "engine/render/VertexShader.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(VertexShader, Shader)
