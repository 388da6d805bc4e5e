#include "info/LearnSystem.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(LearnSystem, Node)

void RegisterInfoClasses()
{
    LearnSystem::RegisterClassFunctions();
}
