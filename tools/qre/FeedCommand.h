#pragma once

// `qre feed FILE`: parses a local RSS document exactly as a feed source
// parses a download (the same 1 MiB limit, conversion and item limits) and
// prints, as UTF-8, one line per item it would queue (its line feeds shown
// as "\n"), then "N items". argv[0] is "feed". 0 when something would be
// queued; 1 with the reason on stderr when nothing would be (not RSS, no
// channel, not well-formed, no item within the limits, unreadable); 2 bad
// arguments.
int RunFeedCommand(int argc, char** argv);
