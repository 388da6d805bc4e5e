#pragma once

// Puts every engine class, manager and built-in module on the engine's
// start-up lists, in dependency order: Object first, each class before the
// classes that use it, the managers early. One explicit list instead of
// static initialisers, so that a class a program never names still gets its
// factory and a scene file can create it. Call once at process start, before
// InitializeEngine; later calls change nothing.
void RegisterEngineClasses();
