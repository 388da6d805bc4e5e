#pragma once

// `qre image FILE [-o RAW]`: decodes FILE with the image codec its extension
// selects, prints `WIDTH HEIGHT FORMAT` and, with -o, writes the pixel bytes
// to RAW exactly as the codec leaves them in memory (its row and byte
// order). argv[0] is "image". Needs a running engine. 0 success; 1 the file
// does not decode or RAW cannot be written (the log's reasons on stderr);
// 2 bad arguments.
int RunImageCommand(int argc, char** argv);
