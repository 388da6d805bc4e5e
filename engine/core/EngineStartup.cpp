#include "engine/core/EngineStartup.h"

#include <cstdlib>
#include <ctime>

#include "engine/core/Array.h"
#include "engine/core/Log.h"

namespace
{

using FunctionList = Array<EngineFunction>;

// Created on first use with capacity 1, grown by 2; freed at process exit.
FunctionList& InitializeList()
{
    static FunctionList list(1, 2);
    return list;
}

FunctionList& PostInitializeList()
{
    static FunctionList list(1, 2);
    return list;
}

FunctionList& TerminateList()
{
    static FunctionList list(1, 2);
    return list;
}

bool seedFixed = false;
uint32_t fixedSeed = 0;

void Add(FunctionList& list, EngineFunction function)
{
    if (function)
        list.Append(function);
}

} // namespace

void AddInitializeFunction(EngineFunction function) { Add(InitializeList(), function); }
void AddPostInitializeFunction(EngineFunction function) { Add(PostInitializeList(), function); }
void AddTerminateFunction(EngineFunction function) { Add(TerminateList(), function); }

void SetEngineRandomSeed(uint32_t seed)
{
    seedFixed = true;
    fixedSeed = seed;
}

uint32_t GetInitializeFunctionCount() { return InitializeList().Count(); }
uint32_t GetPostInitializeFunctionCount() { return PostInitializeList().Count(); }
uint32_t GetTerminateFunctionCount() { return TerminateList().Count(); }

EngineFunction GetInitializeFunction(uint32_t index)
{
    return index < InitializeList().Count() ? InitializeList()[index] : nullptr;
}

EngineFunction GetTerminateFunction(uint32_t index)
{
    return index < TerminateList().Count() ? TerminateList()[index] : nullptr;
}

int32_t InitializeEngine()
{
    LogInfo("Инициализация движка v.%d.%d.%d:", kEngineVersionMajor, kEngineVersionMinor,
            kEngineVersionPatch);
    std::srand(seedFixed ? fixedSeed : static_cast<unsigned>(std::time(nullptr)));

    FunctionList& init = InitializeList();
    for (uint32_t i = 0; i < init.Count(); ++i)
    {
        if (init[i]() != 0)
        {
            LogError("Инициализация движка неудачно.");
            return 1;
        }
    }
    LogInfo("Инициализация движка завершилась удачно.");
    LogInfo("Постинициализация движка:");

    FunctionList& post = PostInitializeList();
    for (uint32_t i = 0; i < post.Count(); ++i)
    {
        if (post[i]() != 0)
        {
            LogError("Постинициализация движка неудачна.");
            return 1;
        }
    }
    LogInfo("Постинициализация движка завершилась удачно.");
    return 0;
}

int32_t TerminateEngine()
{
    LogInfo("Завершение работы движка:");
    FunctionList& list = TerminateList();
    for (uint32_t i = 0; i < list.Count(); ++i)
    {
        if (list[i]() != 0)
        {
            LogError("Завершение работы движка неудачно.");
            return 1;
        }
    }
    LogInfo("Завершение работы движка завершилось удачно.");
    return 0;
}
