#include "engine/render/gl/GLDevice.h"

#include <cstdio>
#include <new>

#include "engine/core/Log.h"
#include "engine/render/gl/GLContext.h"
#include "engine/render/gl/GLRampPass.h"
#include "engine/render/gl/GLRenderTarget.h"
#include "engine/render/gl/GLStateScope.h"

namespace
{

// The engine packs colours into bytes before the device sees them: times
// 255 in float, truncated. Clamping first keeps out-of-range input defined
// (NaN included, which fails both comparisons and becomes 0).
GLfloat PackedComponent(float value)
{
    if (!(value > 0.0f))
        return 0.0f;
    if (value > 1.0f)
        value = 1.0f;
    const int byte = static_cast<int>(value * 255.0f);
    return static_cast<GLfloat>(byte) / 255.0f;
}

std::string Text(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

GLDevice::GLDevice() = default;

std::unique_ptr<GLDevice> GLDevice::Create(void* display, unsigned long window, int width, int height,
                                           std::string* why, GLFunctions::Resolver resolve)
{
    std::string reason;
    std::unique_ptr<GLDevice> device(new (std::nothrow) GLDevice());
    if (device)
    {
        device->width = width;
        device->height = height;
    }
    if (!device)
        reason = "недостаточно памяти";
    else if (width <= 0 || height <= 0)
        reason = "неверный размер заднего буфера " + std::to_string(width) + "x" + std::to_string(height);
    else if (device->Initialise(display, window, resolve, &reason))
        return device;

    LogError("Не удалось создать устройство OpenGL: %s.", reason.c_str());
    if (why)
        *why = reason;
    return nullptr;
}

GLDevice::~GLDevice()
{
    // GL names are per context: deleting ours while another device's
    // context is current would destroy its objects, so without our context
    // the calls go nowhere and the context's own destruction frees them.
    if (context && !context->MakeCurrent())
        context->ReleaseCurrent();
    rampPass.reset();
    presented.reset();
    backBuffer.reset();
    context.reset();
}

bool GLDevice::Initialise(void* display, unsigned long window, GLFunctions::Resolver resolve, std::string* why)
{
    context = GLContext::Create(display, window, why);
    if (!context)
        return false;

    vendor = Text(GL_VENDOR);
    rendererName = Text(GL_RENDERER);
    version = Text(GL_VERSION);
    int major = 0, minor = 0;
    if (std::sscanf(version.c_str(), "%d.%d", &major, &minor) != 2)
    {
        *why = "непонятная версия OpenGL \"" + version + "\"";
        return false;
    }
    const std::string list = Text(GL_EXTENSIONS);
    for (size_t start = 0; start < list.size();)
    {
        size_t end = list.find(' ', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            extensions.insert(list.substr(start, end - start));
        start = end + 1;
    }

    gl = std::make_unique<GLFunctions>();
    if (!gl->Load(major, minor, extensions, why, resolve))
        return false;

    if (gl->getGraphicsResetStatus)
    {
        GLint strategy = 0;
        glGetIntegerv(GL_RESET_NOTIFICATION_STRATEGY_ARB, &strategy);
        robust = strategy == GL_LOSE_CONTEXT_ON_RESET_ARB;
    }
    while (glGetError() != GL_NO_ERROR)
    {
        // Errors of the probing above say nothing about the device.
    }

    backBuffer = std::make_unique<GLRenderTarget>(*gl);
    if (!backBuffer->Create(width, height, true, why))
    {
        *why = "задний буфер: " + *why;
        return false;
    }
    rampPass = std::make_unique<GLRampPass>(*gl);
    if (!rampPass->Create(why))
        return false;

    windowWidth = width;
    windowHeight = height;
    if (context->IsHeadless())
    {
        presented = std::make_unique<GLRenderTarget>(*gl);
        if (!presented->Create(width, height, false, why))
        {
            *why = "выводимый кадр: " + *why;
            return false;
        }
    }
    else
    {
        int surfaceWidth = 0, surfaceHeight = 0;
        if (context->SurfaceSize(surfaceWidth, surfaceHeight) && surfaceWidth > 0 && surfaceHeight > 0)
        {
            windowWidth = surfaceWidth;
            windowHeight = surfaceHeight;
        }
    }

    // A Clear before the first BeginScene (the frame starts that way) must
    // land in the back buffer.
    gl->bindFramebuffer(GL_FRAMEBUFFER, backBuffer->Framebuffer());
    glViewport(0, 0, width, height);

    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
    {
        char text[64];
        std::snprintf(text, sizeof text, "ошибка OpenGL 0x%04X при подготовке", error);
        *why = text;
        return false;
    }
    return true;
}

bool GLDevice::IsHeadless() const
{
    return context->IsHeadless();
}

bool GLDevice::HasExtension(const char* name) const
{
    return name && extensions.count(name) != 0;
}

unsigned int GLDevice::BackBufferFramebuffer() const
{
    return backBuffer->Framebuffer();
}

bool GLDevice::MakeCurrent()
{
    return context->MakeCurrent();
}

bool GLDevice::Usable()
{
    if (lost)
        return false;
    if (context->MakeCurrent())
        return true;
    if (context->LastError() == EGL_CONTEXT_LOST)
    {
        LogWarning("Контекст OpenGL потерян (%s).", GLContext::ErrorName(context->LastError()).c_str());
        lost = true;
    }
    else if (!presentFailureLogged)
    {
        LogError("Не удалось сделать контекст OpenGL текущим (%s).", GLContext::ErrorName(context->LastError()).c_str());
        presentFailureLogged = true;
    }
    return false;
}

void GLDevice::SetWindowSize(int newWidth, int newHeight)
{
    if (newWidth <= 0 || newHeight <= 0)
    {
        LogWarning("Неверный размер окна %dx%d, остаётся %dx%d.", newWidth, newHeight, windowWidth, windowHeight);
        return;
    }
    windowWidth = newWidth;
    windowHeight = newHeight;
}

void GLDevice::Clear(uint32_t flags, float red, float green, float blue, float alpha, float depth, uint32_t stencil)
{
    GLbitfield mask = 0;
    if (flags & 1)
        mask |= GL_COLOR_BUFFER_BIT;
    if (flags & 2)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & 4)
        mask |= GL_STENCIL_BUFFER_BIT;
    if (mask == 0 || !Usable())
        return;

    GLStateScope scope(*gl);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glEnable(GL_SCISSOR_TEST);
    glScissor(viewport[0], viewport[1], viewport[2], viewport[3]);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(~0u);
    glClearColor(PackedComponent(red), PackedComponent(green), PackedComponent(blue), PackedComponent(alpha));
    glClearDepth(depth > 1.0f ? 1.0 : depth > 0.0f ? depth : 0.0);
    glClearStencil(static_cast<GLint>(stencil & 0xFFu));
    glClear(mask);
}

bool GLDevice::BeginScene()
{
    if (!Usable())
        return false;
    if (robust)
    {
        const GLenum status = gl->getGraphicsResetStatus();
        if (status != GL_NO_ERROR)
        {
            LogWarning("Контекст OpenGL сброшен драйвером (0x%04X), устройство потеряно.", status);
            lost = true;
            return false;
        }
    }
    gl->bindFramebuffer(GL_FRAMEBUFFER, backBuffer->Framebuffer());
    glViewport(0, 0, width, height);
    return true;
}

void GLDevice::EndScene()
{
    if (!Usable())
        return;
    {
        GLStateScope scope(*gl);
        if (presented)
        {
            if (presented->Width() != windowWidth || presented->Height() != windowHeight)
            {
                std::string why;
                if (!presented->Create(windowWidth, windowHeight, false, &why))
                {
                    if (!presentFailureLogged)
                        LogError("Не удалось вывести кадр: %s.", why.c_str());
                    presentFailureLogged = true;
                    hasPresented = false;
                    return;
                }
            }
            scope.BindDrawFramebuffer(presented->Framebuffer());
        }
        else
        {
            scope.BindDrawFramebuffer(0);
        }
        rampPass->Draw(backBuffer->ColourTexture(), width, height, 0, 0, windowWidth, windowHeight);
    }

    if (presented)
    {
        hasPresented = true;
        return;
    }
    if (context->SwapBuffers())
        return;
    if (context->LastError() == EGL_CONTEXT_LOST)
    {
        LogWarning("Контекст OpenGL потерян при выводе кадра.");
        lost = true;
    }
    else if (!presentFailureLogged)
    {
        LogError("Не удалось вывести кадр (%s).", GLContext::ErrorName(context->LastError()).c_str());
        presentFailureLogged = true;
    }
}

void GLDevice::SetGammaRamp(const uint16_t ramp[256])
{
    SetGammaRamp(ramp, ramp, ramp);
}

void GLDevice::SetGammaRamp(const uint16_t red[256], const uint16_t green[256], const uint16_t blue[256])
{
    if (!red || !green || !blue)
    {
        LogError("Не задана таблица яркости.");
        return;
    }
    rampPass->SetRamp(red, green, blue);
}

bool GLDevice::ReadBackBuffer(std::vector<uint8_t>& rgba, int& outWidth, int& outHeight)
{
    if (!Usable())
        return false;
    GLStateScope scope(*gl);
    backBuffer->Read(rgba);
    outWidth = backBuffer->Width();
    outHeight = backBuffer->Height();
    return true;
}

bool GLDevice::ReadPresented(std::vector<uint8_t>& rgba, int& outWidth, int& outHeight)
{
    if (!presented || !hasPresented || !Usable())
        return false;
    GLStateScope scope(*gl);
    presented->Read(rgba);
    outWidth = presented->Width();
    outHeight = presented->Height();
    return true;
}
