#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/codecs/rar/RarMemberRecord.h"
#include "engine/core/String.h"

// Reads archives of the RAR 1.5 to 2.x container held in memory: lists their
// members and extracts members packed stored or with unpack version 2.0
// (versions 13 to 20), each checked against its CRC-32. Nothing is kept
// between calls; the archive bytes are only borrowed.
//
// An archive is untrusted input. Headers that reach beyond the data end the
// listing; a member whose sizes, data or decoding cannot be right fails
// alone, with one log line, and in a solid archive takes the members after
// it along (their decoder state is lost). Encrypted members and members
// split across volumes are refused.
class RarArchiveReader
{
public:
    // The member records in archive order. 0; 1 when the data is no archive
    // (logged).
    static int32_t ListArchive(const uint8_t* data, uint32_t size, std::vector<RarMemberRecord>& members);

    // The unpacked bytes of the member named name (case of ASCII letters and
    // the direction of slashes do not matter), in a block for the caller
    // (never null on success, even for an empty member). In a solid
    // archive every member before it is decoded again. False, with nothing
    // handed out and one log line, when the member is missing or fails.
    static bool ExtractMember(const uint8_t* data, uint32_t size, const String& name, const String& password,
                              std::unique_ptr<uint8_t[]>* bytes, uint32_t* length);

    // What ExtractAll gives for one member.
    struct Extracted
    {
        RarMemberRecord record;
        std::unique_ptr<uint8_t[]> bytes; // null when the member failed (or is a directory)
        uint32_t length = 0;
    };

    // Every member in one pass, as ExtractMember would give each of them, so
    // mounting a solid archive decodes each member once. Directories come
    // with no bytes. 0; 1 no archive; 2 out of memory.
    static int32_t ExtractAll(const uint8_t* data, uint32_t size, const String& password,
                              std::vector<Extracted>& members);

    // The name comparison of ExtractMember.
    static bool NamesMatch(const String& stored, const String& requested);
};
