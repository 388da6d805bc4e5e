#include "engine/EngineClasses.h"

#include "engine/core/EngineStartup.h"
#include "engine/core/Object.h"
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
    AddInitializeFunction(&ModuleManager::Initialize);
    AddTerminateFunction(&ModuleManager::Terminate);
    AddInitializeFunction(&InputManager::Initialize);
    AddTerminateFunction(&InputManager::Terminate);

    // classes
    Controller::RegisterClassFunctions();

    // built-in modules, registered after every class factory exists
    AddPostInitializeFunction(&RegisterOpenGLModule);
}
