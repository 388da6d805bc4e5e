#include "engine/EngineClasses.h"

#include "engine/codecs/STRSceneCodec.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Object.h"
#include "engine/files/CodecManager.h"
#include "engine/files/FileManager.h"
#include "engine/files/InputManager.h"
#include "engine/files/ModuleManager.h"
#include "engine/render/gl/GLRenderer.h"
#include "engine/scene/Controller.h"

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
    AddTerminateFunction(&FileManager::Terminate);
    AddTerminateFunction(&InputManager::Terminate);
    AddTerminateFunction(&ModuleManager::Terminate);
    AddTerminateFunction(&CodecManager::Terminate);

    // classes, each before the classes that use it
    Controller::RegisterClassFunctions();

    // images

    // scene graph

    // built-in modules, registered after every class factory exists: the
    // renderer, the image codecs, the scene codec, the archive codec
    AddPostInitializeFunction(&RegisterOpenGLModule);
    // image codecs
    AddPostInitializeFunction(&STRSceneCodec::RegisterModule);
    // archive codec
}
