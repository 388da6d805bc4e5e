// Feeds arbitrary bytes to the scene codec as a scene file: whatever the
// bytes, loading must fail or succeed cleanly, and free everything it made.
#include <cstdint>
#include <cstring>
#include <new>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Ptr.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/VirtualFile.h"
#include "support/TestNode.h"

namespace
{

Codec* sceneCodec = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterEngineClasses();
    InitializeEngine();
    // The engine's own concrete classes join here as they arrive; the test
    // node gives the fuzzer children, shared objects and float runs now.
    RegisterClassFactory(TestNode::TYPE.GetName(), &TestNode::Factory);
    CodecManager::GetCodec(String("STRSceneCodec"), &sceneCodec);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!sceneCodec || size > UINT32_MAX)
        return 0;
    uint8_t* copy = new uint8_t[size ? size : 1];
    std::memcpy(copy, data, size);
    VirtualFile file(String("fuzz.STR"), copy, static_cast<uint32_t>(size));
    Object* root = nullptr;
    if (sceneCodec->LoadScene(&file, &root) == 0)
    {
        Ptr<Object> hold = root;
    }
    return 0;
}
