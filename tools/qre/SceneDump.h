#pragma once
#include <string>
#include <vector>

// What a dump produced.
struct DumpResult
{
    // The object graph, engine code page.
    std::string tree;
    // The log's warnings and errors during the dump, engine code page: why
    // it failed, or what the load put up with.
    std::vector<std::string> reasons;
    // Empty on success; else the step that failed, in the words of the
    // command line, UTF-8 ("PATH does not load (missing picture NAME)").
    std::string failure;
};

// Loads a scene file through the scene codec and prints its object graph as
// the file holds it: one object per line, indented by nesting, as
// `ID TYPE "name"`; a later reference to an object already printed as
// `-> ID`. Every object is named as its record left it, also one the loader
// let go of (a link of another class than its slot takes).
//
// The archives are mounted first, one after another in the given order,
// through the engine's mounting as the show mounts its own; the files the
// scene names (pictures) are then found in them or in the scene file's own
// folder. A path that is not a file on disk is looked up in the archives.
// Everything mounted is taken down again before returning.
//
// Needs a running engine. 0 on success; 1 when an archive does not mount,
// the scene is found nowhere or does not load.
int DumpScene(const std::string& path, const std::vector<std::string>& archives, DumpResult& result);
