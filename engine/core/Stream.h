#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "engine/core/Array.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/String.h"

class Transform;
struct Vector2;
struct Vector3;
struct Vector4;
struct Quaternion;

// Watches the links a stream reads, in reading order; the nesting depth
// mirrors the records, so a listener sees the object graph as the file holds
// it (the inspector prints it).
class StreamLinkListener
{
public:
    virtual ~StreamLinkListener() = default;

    // A link was read at depth (0 for the outermost). fileId is the writer's
    // ID; typeName is empty for a later reference. object is null for a null
    // link or a failure. Called before the object's record is read.
    virtual void OnLinkRead(uint32_t depth, int32_t fileId, const String& typeName, Object* object) = 0;
};

// An in-memory byte buffer with a position, a sticky error state and a link
// map that turns object references into IDs and back. Files are streams
// whose buffer is filled at open and written out at close.
//
// Everything read comes from outside: lengths and counts are checked against
// what is left in the buffer before anything is allocated, so a damaged or
// hostile file fails cleanly with the state set.
class Stream
{
public:
    // Allocates initialSize bytes at once when it is not 0.
    Stream(uint32_t initialSize, uint32_t growStep);
    virtual ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // raw bytes: each returns the state afterwards (0 good)
    virtual uint32_t GetSize();
    virtual int32_t Write(const void* bytes, uint32_t count);
    virtual int32_t Read(void* bytes, uint32_t count);

    // Bytes left between the position and the end of the data.
    uint32_t GetRemaining() const { return position <= size ? size - position : 0; }

    // True when count elements of elementSize bytes can still be read; when
    // not, logs the overflow warning and sets the state, so a count from a
    // file can be checked before it sizes an allocation.
    bool CheckRemaining(uint64_t count, uint64_t elementSize);

    // typed values, little-endian, packed
    int32_t WriteBool(bool value);
    int32_t ReadBool(bool& value);
    int32_t WriteInt8(int8_t value);
    int32_t ReadInt8(int8_t& value);
    int32_t WriteInt16(int16_t value);
    int32_t ReadInt16(int16_t& value);
    int32_t WriteInt32(int32_t value);
    int32_t ReadInt32(int32_t& value);
    int32_t WriteUInt32(uint32_t value);
    int32_t ReadUInt32(uint32_t& value);
    int32_t WriteFloat(float value);
    int32_t ReadFloat(float& value);
    int32_t WriteInt64(int64_t value);
    int32_t ReadInt64(int64_t& value);
    int32_t WriteDouble(double value);
    int32_t ReadDouble(double& value);
    int32_t WriteVector2(const Vector2& value);
    int32_t ReadVector2(Vector2& value);
    int32_t WriteVector3(const Vector3& value);
    int32_t ReadVector3(Vector3& value);
    int32_t WriteVector4(const Vector4& value);
    int32_t ReadVector4(Vector4& value);
    int32_t WriteQuaternion(const Quaternion& value);
    int32_t ReadQuaternion(Quaternion& value);
    int32_t WriteTransform(const Transform& value);
    int32_t ReadTransform(Transform& value);
    int32_t WriteString(const String& value);
    int32_t ReadString(String& value);

    // Runs of 32-bit words (float arrays of buffers) in one copy; the bytes
    // are those of count single writes.
    int32_t WriteFloats(const float* values, uint32_t count);
    int32_t ReadFloats(float* values, uint32_t count);

    // links: null as -1; the first reference as ID, type name and record;
    // later ones as the ID alone
    int32_t WriteLink(Object* object);

    // The object, created by the class registry and loaded; no reference is
    // taken for the caller. Null for a null link. The stream itself keeps
    // every object it created alive until its links are reset (a file's
    // close) or it goes: whoever keeps an object takes its reference before
    // that, and whatever nobody took, a failed load's remains included, is
    // freed then.
    int32_t ReadLink(Object*& object);

    // state
    int32_t GetState() const { return state; }
    uint32_t GetPosition() const { return position; }
    const uint8_t* GetBuffer() const { return buffer.get(); }

    // Sets the state to a non-zero code unless it is set already (it
    // stays); 0 changes nothing. For records that find their own content
    // invalid.
    void Fail(int32_t code);

    void SetLinkListener(StreamLinkListener* listener) { linkListener = listener; }

protected:
    // For files: a buffer of exactly size bytes, read from position 0.
    void AdoptBuffer(std::unique_ptr<uint8_t[]> bytes, uint32_t byteCount);
    void FreeBuffer();
    void ResetLinks();
    void SetPosition(uint32_t newPosition) { position = newPosition; }

private:
    int32_t Grow(uint32_t needed);

    std::unique_ptr<uint8_t[]> buffer;
    uint32_t size = 0;           // allocated length; a read file's length
    uint32_t growStep;
    uint32_t position = 0;
    // Writer's ID -> object; holds nothing. A scene has tens of thousands of
    // objects, so this map grows its buckets, unlike the engine's small
    // 32-bucket name tables: every link costs one lookup.
    std::unordered_map<int32_t, Object*> links;
    Array<Ptr<Object>> created{16, 256}; // what ReadLink made, held until the links reset
    int32_t state = 0;           // sticky: once set, it stays
    uint32_t linkDepth = 0;      // nesting of records being read
    StreamLinkListener* linkListener = nullptr; // not owned
};
