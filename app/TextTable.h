#pragma once
#include <cstdint>

#include "engine/core/String.h"

// The plain-text table format of the defaults and user-interface resources:
// one "Key = Value" per line, ";" starts a comment that runs to the line's
// end. The text is a resource's raw bytes with no terminator, so the reader
// never looks past the size it was given.
class TextTableReader
{
public:
    // Borrows the bytes; they must outlive the reader. A null pointer reads
    // as an empty table.
    TextTableReader(const char* bytes, uint32_t size);

    // The next line with content: CR and LF runs, comment lines and the
    // comment tail after a value are skipped. A line ends at CR, LF, ";" or
    // the end of the text. False (line left as it was) at the end.
    bool NextLine(String& line);

private:
    const char* bytes;  // borrowed, not owned
    uint32_t size;
    uint32_t position = 0;
};

// Splits at the first " = " (blank, equals, blank): the key is what comes
// before, the value everything after, both untrimmed. A line without " = "
// gives an empty key and value, which match no key and are ignored.
void SplitKeyValue(const String& line, String& key, String& value);
