#pragma once

// The archive subcommands of qre. argv[0] is the subcommand's name. Each
// prints the engine log's warnings and errors on stderr. 0 success; 1
// failure; 2 bad arguments.

// `qre pack [--solid] [--store] [--audio] [--level N] [--add MEMBER SOURCE]...
//  OUT.rar2 BASEDIR [FILES...]`: writes a RAR archive of FILES (paths below
// BASEDIR, or absolute paths inside it; a folder stands for everything in
// it; none means all of BASEDIR), named by their paths relative to BASEDIR
// with backslashes and preceded by an entry for each folder. --add takes a
// file from anywhere as MEMBER. Members are stored (--store, or when
// packing does not shrink them) or packed with unpack version 2.0 at level
// N (1 to 5, default 3: method 0x30 + N); --solid makes one stream of all
// members, --audio tries the multimedia mode on each. The archive is
// written whole to a temporary name and renamed, so a failure leaves no
// half archive.
int RunPackCommand(int argc, char** argv);

// `qre list ARCHIVE`: one line per member: name, unpacked size, packed
// size, method (hex), unpack version, CRC (hex), then "solid" and "dir"
// marks.
int RunListCommand(int argc, char** argv);

// `qre extract ARCHIVE NAME -o FILE`: writes one member's bytes to FILE.
// Any failure, a CRC mismatch included, exits 1 and writes nothing.
int RunExtractCommand(int argc, char** argv);
