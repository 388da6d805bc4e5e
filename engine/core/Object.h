#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/Ptr.h"
#include "engine/core/RTTI.h"
#include "engine/core/RefCounted.h"
#include "engine/core/String.h"

class Controller;
class Stream;

// Declares what every engine class has: its static type record, the virtual
// that returns it, the factory and the start-up pair that put the factory in
// the class registry. RegisterClassFunctions puts the pair on the engine's
// start-up lists once.
#define QRE_DECLARE_CLASS                                       \
public:                                                         \
    static const RTTI TYPE;                                     \
    const RTTI& GetRtti() const override { return TYPE; }       \
    static void RegisterClassFunctions();                       \
    static int32_t Initialize();                                \
    static int32_t Terminate();                                 \
    static int32_t Factory(Object** place);                     \
                                                                \
private:                                                        \
    static bool classRegistered;

// Defines the declarations above for a class that can be created by name
// (its default constructor gives an empty name).
#define QRE_IMPLEMENT_CLASS(Class, Base)                                    \
    QRE_IMPLEMENT_CLASS_COMMON(Class, Base)                                 \
    int32_t Class::Factory(Object** place)                                  \
    {                                                                       \
        if (!place)                                                         \
            return 3;                                                       \
        *place = new (std::nothrow) Class();                                \
        return *place ? 0 : 2;                                              \
    }

// The same for an abstract class: its factory refuses with 1, silently.
#define QRE_IMPLEMENT_ABSTRACT_CLASS(Class, Base)                           \
    QRE_IMPLEMENT_CLASS_COMMON(Class, Base)                                 \
    int32_t Class::Factory(Object** place)                                  \
    {                                                                       \
        if (place)                                                          \
            *place = nullptr;                                               \
        return 1;                                                           \
    }

#define QRE_IMPLEMENT_CLASS_COMMON(Class, Base)                             \
    const RTTI Class::TYPE("QRE." #Class, &Base::TYPE);                     \
    bool Class::classRegistered = false;                                    \
    void Class::RegisterClassFunctions()                                    \
    {                                                                       \
        if (classRegistered)                                                \
            return;                                                         \
        AddInitializeFunction(&Class::Initialize);                          \
        AddTerminateFunction(&Class::Terminate);                            \
        classRegistered = true;                                             \
    }                                                                       \
    int32_t Class::Initialize()                                             \
    {                                                                       \
        return RegisterClassFactory(TYPE.GetName(), &Class::Factory) ? 0 : 1; \
    }                                                                       \
    int32_t Class::Terminate()                                              \
    {                                                                       \
        UnregisterClassFactory(TYPE.GetName());                             \
        return 0;                                                           \
    }

// The root of every scene, resource and controller: a reference-counted,
// named instance of a class known by its type name, with a process-unique ID
// and a list of attached controllers.
class Object : public RefCounted
{
public:
    // run-time type information
    static const RTTI TYPE;
    virtual const RTTI& GetRtti() const { return TYPE; }
    bool IsExactly(const RTTI& type) const { return GetRtti().IsExactly(type); }
    bool IsDerived(const RTTI& type) const { return GetRtti().IsDerived(type); }

    static void RegisterClassFunctions();
    static int32_t Initialize();
    static int32_t Terminate();
    static int32_t Factory(Object** place);

    // construction: every object takes the next ID of the process
    explicit Object(const String& name = String());
    ~Object() override;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // naming: names may be empty and need not be unique
    virtual void SetName(const String& newName) { name = newName; }
    const String& GetName() const { return name; }

    // IDs identify objects for the life of the process only; files never
    // store them as identities.
    uint32_t GetID() const { return id; }

    // The next ID the counter will hand out.
    static uint32_t PeekNextID();

    // streaming: the record is this class's base record, then its own
    // fields in a fixed order. 0 success, else the stream's failure.
    virtual int32_t Save(Stream& stream);
    virtual int32_t Load(Stream& stream);

    // ownership: true when this object holds other through its references,
    // directly or further down. Setters that take a reference refuse one
    // that would close a cycle, which would keep both alive forever (a
    // damaged file can ask for it).
    virtual bool Holds(const Object* other) const;

    // searching: this object when its name matches exactly, else the first
    // hit among the controllers; nodes extend it to their children.
    virtual Object* FindByName(const String& searched);

    // Appends every object of the type (or a subclass) to found, this object
    // first, then the controllers; the pointers hold nothing.
    virtual void CollectByType(const RTTI& type, Array<Object*>& found);

    // controllers: the most recently attached is index 0. Attaching takes a
    // reference and makes this object the controller's target.
    virtual void UpdateControllers(double time);
    int32_t SetController(Controller* controller);
    uint32_t GetControllerCount() const;
    Controller* GetController(uint32_t index) const;
    void RemoveControllers();

private:
    String name;
    uint32_t id;
    // Newest first. Room is made on the first attach: most objects have no
    // controller.
    Array<Ptr<Controller>> controllers{0, 1};

    static bool classRegistered;
};
