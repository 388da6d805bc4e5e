#pragma once
#include <string>
#include <vector>

// Loads a scene file through the scene codec and prints its object graph as
// the file holds it: one object per line, indented by nesting, as
// `ID TYPE "name"`; a later reference to an object already printed as
// `-> ID`. Needs a running engine. 0 on success; 1 with the log's warnings
// and errors in reasons when the file does not load. Text stays in the
// engine's code page.
int DumpScene(const std::string& path, std::string& out, std::vector<std::string>& reasons);
