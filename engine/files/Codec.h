#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Array.h"
#include "engine/core/Named.h"
#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "engine/core/String.h"
#include "engine/files/Module.h"

class Directory;
class File;
class Image;
class Object;

// Decodes (and encodes) one kind of file, chosen by the file's extension.
// Each codec lives in a module of the same name and keeps that module loaded.
// A codec overrides the operations of its type; every other operation
// refuses with 1, so asking an image codec for a scene fails cleanly.
class Codec : public RefCounted, public Named
{
public:
    enum Type : int32_t
    {
        kImageCodec = 0,
        kSceneCodec = 1,
        kArchiveCodec = 2,
        kNoCodecType = 3,
    };

    explicit Codec(const String& name = String());
    ~Codec() override;

    // kNoCodecType for the base.
    virtual int32_t GetCodecType();

    // image codecs: *place receives a new image owned by the caller
    virtual int32_t LoadImage(File* file, Image** place);
    virtual int32_t SaveImage(File* file, Image* image);

    // scene codecs: *root receives the scene's root object, no reference
    // taken for the caller
    virtual int32_t LoadScene(File* file, Object** root);
    virtual int32_t SaveScene(File* file, Object* root);

    // archive codecs: *place receives a new directory named after the archive
    // file, holding every member unpacked as a VirtualFile
    virtual int32_t LoadArchive(File* archive, std::unique_ptr<Directory>* place, const String& password);
    virtual int32_t SaveArchive(File* file, Directory* directory);

    // True when the file's extension is one of this codec's, compared
    // exactly (case matters). A null file is logged and declined.
    bool AcceptsFile(File* file);

    // Extensions without the dot, in the order they were added.
    void AddExtension(const String& extension) { extensions.Append(extension); }
    const Array<String>& GetExtensions() const { return extensions; }

    // The module that made the codec; set (and held) by the codec manager.
    Module* GetModule() const { return module.Get(); }
    void SetModule(Module* owner) { module = owner; }

private:
    Ptr<Module> module;
    Array<String> extensions{1, 1};
};
