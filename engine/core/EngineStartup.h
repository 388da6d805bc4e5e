#pragma once
#include <cstdint>

// The engine's three start-up lists. Functions take nothing and return 0 on
// success. Classes and managers put their start and stop functions on the
// lists once, before InitializeEngine runs (see EngineClasses); built-in
// modules register themselves from the post-initialisation list, after every
// class factory exists.
using EngineFunction = int32_t (*)();

void AddInitializeFunction(EngineFunction function);
void AddPostInitializeFunction(EngineFunction function);
void AddTerminateFunction(EngineFunction function);

// Makes the next InitializeEngine seed the C generator with seed instead of
// the time, so a show can be replayed exactly.
void SetEngineRandomSeed(uint32_t seed);

// Runs the initialisation list, then the post-initialisation list; stops at
// the first failure. 0 success, 1 failure.
int32_t InitializeEngine();

// Runs the termination list in registration order (not reversed); stops at
// the first failure. 0 success, 1 failure.
int32_t TerminateEngine();

// The engine's version, printed at start-up and written into scene files.
constexpr int32_t kEngineVersionMajor = 0;
constexpr int32_t kEngineVersionMinor = 1;
constexpr int32_t kEngineVersionPatch = 2;

// Introspection for tests and the inspector.
uint32_t GetInitializeFunctionCount();
uint32_t GetPostInitializeFunctionCount();
uint32_t GetTerminateFunctionCount();
EngineFunction GetInitializeFunction(uint32_t index);
EngineFunction GetTerminateFunction(uint32_t index);
