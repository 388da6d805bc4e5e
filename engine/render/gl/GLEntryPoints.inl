// Every OpenGL entry point beyond 1.1 that engine/render/gl calls: the one
// place that says what the driver must provide. GLFunctions includes this
// list twice, once to declare a member per line and once to load them all.
//
// The includer defines the four kinds it needs; the others expand to
// nothing, and all four are undefined again at the end.
//   GL_ENTRY(type, member, name)
//       required: the device is not created without it.
//   GL_FRAMEBUFFER_ENTRY(type, member, name, extName)
//       required, spelled by the framebuffer path the context offers: the
//       core / ARB name, or the EXT name on drivers with only that.
//   GL_OPTIONAL_ENTRY(type, member, name, alternate)
//       may stay null; the alternate spelling is asked for when the first
//       one gives nothing. Whoever calls it checks first.
//   GL_ROBUSTNESS_ENTRY(type, member, arbName, name)
//       may stay null; taken only when the context offers ARB robustness
//       (arbName), or KHR robustness or OpenGL 4.5 (name).
#ifndef GL_ENTRY
#define GL_ENTRY(type, member, name)
#endif
#ifndef GL_FRAMEBUFFER_ENTRY
#define GL_FRAMEBUFFER_ENTRY(type, member, name, extName)
#endif
#ifndef GL_OPTIONAL_ENTRY
#define GL_OPTIONAL_ENTRY(type, member, name, alternate)
#endif
#ifndef GL_ROBUSTNESS_ENTRY
#define GL_ROBUSTNESS_ENTRY(type, member, arbName, name)
#endif

// Framebuffer objects: the back buffer, the presented picture, render
// targets and the capability probes (GLRenderTarget, GLRendererTextures).
GL_FRAMEBUFFER_ENTRY(PFNGLGENFRAMEBUFFERSPROC, genFramebuffers, "glGenFramebuffers", "glGenFramebuffersEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLDELETEFRAMEBUFFERSPROC, deleteFramebuffers, "glDeleteFramebuffers", "glDeleteFramebuffersEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLBINDFRAMEBUFFERPROC, bindFramebuffer, "glBindFramebuffer", "glBindFramebufferEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLFRAMEBUFFERTEXTURE2DPROC, framebufferTexture2D, "glFramebufferTexture2D",
                     "glFramebufferTexture2DEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLFRAMEBUFFERRENDERBUFFERPROC, framebufferRenderbuffer, "glFramebufferRenderbuffer",
                     "glFramebufferRenderbufferEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLCHECKFRAMEBUFFERSTATUSPROC, checkFramebufferStatus, "glCheckFramebufferStatus",
                     "glCheckFramebufferStatusEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLGENRENDERBUFFERSPROC, genRenderbuffers, "glGenRenderbuffers", "glGenRenderbuffersEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLDELETERENDERBUFFERSPROC, deleteRenderbuffers, "glDeleteRenderbuffers",
                     "glDeleteRenderbuffersEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLBINDRENDERBUFFERPROC, bindRenderbuffer, "glBindRenderbuffer", "glBindRenderbufferEXT")
GL_FRAMEBUFFER_ENTRY(PFNGLRENDERBUFFERSTORAGEPROC, renderbufferStorage, "glRenderbufferStorage",
                     "glRenderbufferStorageEXT")

// Texture units and pixel buffer bindings: every stage loop, the state
// scope and the read-backs.
GL_ENTRY(PFNGLACTIVETEXTUREPROC, activeTexture, "glActiveTexture")
GL_ENTRY(PFNGLBINDBUFFERPROC, bindBuffer, "glBindBuffer")

// GLSL: the ramp pass of the present and the translated shader programs.
GL_ENTRY(PFNGLCREATESHADERPROC, createShader, "glCreateShader")
GL_ENTRY(PFNGLSHADERSOURCEPROC, shaderSource, "glShaderSource")
GL_ENTRY(PFNGLCOMPILESHADERPROC, compileShader, "glCompileShader")
GL_ENTRY(PFNGLGETSHADERIVPROC, getShaderiv, "glGetShaderiv")
GL_ENTRY(PFNGLGETSHADERINFOLOGPROC, getShaderInfoLog, "glGetShaderInfoLog")
GL_ENTRY(PFNGLDELETESHADERPROC, deleteShader, "glDeleteShader")
GL_ENTRY(PFNGLCREATEPROGRAMPROC, createProgram, "glCreateProgram")
GL_ENTRY(PFNGLATTACHSHADERPROC, attachShader, "glAttachShader")
GL_ENTRY(PFNGLLINKPROGRAMPROC, linkProgram, "glLinkProgram")
GL_ENTRY(PFNGLGETPROGRAMIVPROC, getProgramiv, "glGetProgramiv")
GL_ENTRY(PFNGLGETPROGRAMINFOLOGPROC, getProgramInfoLog, "glGetProgramInfoLog")
GL_ENTRY(PFNGLDELETEPROGRAMPROC, deleteProgram, "glDeleteProgram")
GL_ENTRY(PFNGLUSEPROGRAMPROC, useProgram, "glUseProgram")
GL_ENTRY(PFNGLGETUNIFORMLOCATIONPROC, getUniformLocation, "glGetUniformLocation")
GL_ENTRY(PFNGLUNIFORM1IPROC, uniform1i, "glUniform1i")

// Shader programs only: vertex inputs bound before linking, and the
// constant registers, the flip and the fog mode (GLShaderProgram).
GL_ENTRY(PFNGLBINDATTRIBLOCATIONPROC, bindAttribLocation, "glBindAttribLocation")
GL_ENTRY(PFNGLUNIFORM1FPROC, uniform1f, "glUniform1f")
GL_ENTRY(PFNGLUNIFORM1IVPROC, uniform1iv, "glUniform1iv")
GL_ENTRY(PFNGLUNIFORM4FVPROC, uniform4fv, "glUniform4fv")
GL_ENTRY(PFNGLUNIFORM4IVPROC, uniform4iv, "glUniform4iv")

// The generic vertex attributes a program reads (GLShaderCache).
GL_ENTRY(PFNGLVERTEXATTRIBPOINTERPROC, vertexAttribPointer, "glVertexAttribPointer")
GL_ENTRY(PFNGLENABLEVERTEXATTRIBARRAYPROC, enableVertexAttribArray, "glEnableVertexAttribArray")
GL_ENTRY(PFNGLDISABLEVERTEXATTRIBARRAYPROC, disableVertexAttribArray, "glDisableVertexAttribArray")
GL_ENTRY(PFNGLVERTEXATTRIB4FPROC, vertexAttrib4f, "glVertexAttrib4f")

// Fixed-function draws: a texture coordinate array per unit, and point
// sprites scaled by distance (GLRendererDraw, GLRendererState).
GL_ENTRY(ClientActiveTextureProc, clientActiveTexture, "glClientActiveTexture")
GL_ENTRY(PFNGLPOINTPARAMETERFPROC, pointParameterf, "glPointParameterf")
GL_ENTRY(PFNGLPOINTPARAMETERFVPROC, pointParameterfv, "glPointParameterfv")
GL_ENTRY(PFNGLPOINTPARAMETERIPROC, pointParameteri, "glPointParameteri")

// Two-sided stencil (GLRendererState).
GL_ENTRY(PFNGLSTENCILFUNCSEPARATEPROC, stencilFuncSeparate, "glStencilFuncSeparate")
GL_ENTRY(PFNGLSTENCILOPSEPARATEPROC, stencilOpSeparate, "glStencilOpSeparate")

// Volume textures (GLRendererTextures).
GL_ENTRY(PFNGLTEXIMAGE3DPROC, texImage3D, "glTexImage3D")

// What a pushed render target replaces, so that popping it restores it
// (GLRendererTextures); without it nothing is restored.
GL_OPTIONAL_ENTRY(PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC, getFramebufferAttachmentParameteriv,
                  "glGetFramebufferAttachmentParameteriv", "glGetFramebufferAttachmentParameterivEXT")

// Mip chains of render targets: the capability says no without it.
GL_OPTIONAL_ENTRY(PFNGLGENERATEMIPMAPPROC, generateMipmap, "glGenerateMipmap", "glGenerateMipmapEXT")

// Occlusion queries, OpenGL 1.5 or ARB: the capability says no unless all
// six are there (GLRendererQueries).
GL_OPTIONAL_ENTRY(PFNGLGENQUERIESPROC, genQueries, "glGenQueries", "glGenQueriesARB")
GL_OPTIONAL_ENTRY(PFNGLDELETEQUERIESPROC, deleteQueries, "glDeleteQueries", "glDeleteQueriesARB")
GL_OPTIONAL_ENTRY(PFNGLBEGINQUERYPROC, beginQuery, "glBeginQuery", "glBeginQueryARB")
GL_OPTIONAL_ENTRY(PFNGLENDQUERYPROC, endQuery, "glEndQuery", "glEndQueryARB")
GL_OPTIONAL_ENTRY(PFNGLGETQUERYOBJECTUIVPROC, getQueryObjectuiv, "glGetQueryObjectuiv", "glGetQueryObjectuivARB")
GL_OPTIONAL_ENTRY(PFNGLGETQUERYIVPROC, getQueryiv, "glGetQueryiv", "glGetQueryivARB")

// A GPU reset seen as a lost device (GLDevice); the answer only means
// something in a context created with reset notification.
GL_ROBUSTNESS_ENTRY(PFNGLGETGRAPHICSRESETSTATUSPROC, getGraphicsResetStatus, "glGetGraphicsResetStatusARB",
                    "glGetGraphicsResetStatus")

#undef GL_ENTRY
#undef GL_FRAMEBUFFER_ENTRY
#undef GL_OPTIONAL_ENTRY
#undef GL_ROBUSTNESS_ENTRY
