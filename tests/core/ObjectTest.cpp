#include "engine/core/Object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Controller.h"
#include "engine/core/EngineStartup.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"

namespace
{
std::vector<std::string> updates;
} // namespace

// Test classes live outside the anonymous namespace: the class macros define
// static members that must be linkable.

class ProbeController : public Controller
{
    QRE_DECLARE_CLASS

public:
    explicit ProbeController(const String& name = String()) : Controller(name) {}
    int32_t Update(double) override
    {
        updates.push_back(GetName().CStr());
        return 0;
    }
};

class ProbeObject : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit ProbeObject(const String& name = String()) : Object(name) {}
};

class OtherObject : public Object
{
    QRE_DECLARE_CLASS
};

QRE_IMPLEMENT_CLASS(ProbeController, Controller)
QRE_IMPLEMENT_CLASS(ProbeObject, Object)
QRE_IMPLEMENT_ABSTRACT_CLASS(OtherObject, Object)

TEST(Object, ControllersRunNewestFirstAndTargetTheirLastHolder)
{
    Ptr<ProbeObject> holder = new ProbeObject(String("holder"));
    Ptr<ProbeController> a = new ProbeController(String("A"));
    Ptr<ProbeController> b = new ProbeController(String("B"));
    Ptr<ProbeController> c = new ProbeController(String("C"));
    for (ProbeController* controller : {a.Get(), b.Get(), c.Get()})
        ASSERT_EQ(holder->SetController(controller), 0);

    EXPECT_EQ(holder->GetControllerCount(), 3u);
    EXPECT_EQ(holder->GetController(0), c.Get());
    EXPECT_EQ(holder->GetController(2), a.Get());
    EXPECT_EQ(holder->GetController(3), nullptr);
    EXPECT_EQ(a->GetTarget(), holder.Get());
    EXPECT_EQ(a->GetRefCount(), 2);

    updates.clear();
    holder->UpdateControllers(0.5);
    EXPECT_EQ(updates, (std::vector<std::string>{"C", "B", "A"}));

    Ptr<ProbeObject> other = new ProbeObject(String("other"));
    other->SetController(a.Get());
    EXPECT_EQ(a->GetTarget(), other.Get());

    holder->RemoveControllers();
    EXPECT_EQ(holder->GetControllerCount(), 0u);
    EXPECT_EQ(b->GetRefCount(), 1);
}

TEST(Object, NullControllerIsRefusedWithAWarning)
{
    LogCapture capture;
    Ptr<ProbeObject> holder = new ProbeObject(String("holder"));
    EXPECT_EQ(holder->SetController(nullptr), 3);
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0].level, kLogWarning);
    EXPECT_EQ(capture.Lines()[0].text, "Указатель на устанавливаемый контроллер равен 0. Имя[holder] ID[" +
                                           std::to_string(holder->GetID()) + "]");
}

TEST(Object, FindByNamePrefersItselfThenControllersInListOrder)
{
    Ptr<ProbeObject> holder = new ProbeObject(String("same"));
    Ptr<ProbeController> older = new ProbeController(String("wanted"));
    Ptr<ProbeController> sameName = new ProbeController(String("same"));
    Ptr<ProbeController> newer = new ProbeController(String("wanted"));
    holder->SetController(older.Get());
    holder->SetController(sameName.Get());
    holder->SetController(newer.Get());

    EXPECT_EQ(holder->FindByName(String("same")), holder.Get());
    EXPECT_EQ(holder->FindByName(String("wanted")), newer.Get());
    EXPECT_EQ(holder->FindByName(String("Wanted")), nullptr); // case matters
    EXPECT_EQ(holder->FindByName(String("wanted\0x", 8)), nullptr); // length matters
}

TEST(Object, CollectByTypeGathersSubclassesWithoutHoldingThem)
{
    Ptr<ProbeObject> holder = new ProbeObject();
    Ptr<ProbeController> a = new ProbeController();
    Ptr<ProbeController> b = new ProbeController();
    holder->SetController(a.Get());
    holder->SetController(b.Get());

    Array<Object*> controllers(1, 1);
    holder->CollectByType(Controller::TYPE, controllers);
    ASSERT_EQ(controllers.Count(), 2u);
    EXPECT_EQ(controllers[0], b.Get());
    EXPECT_EQ(controllers[1], a.Get());
    EXPECT_EQ(a->GetRefCount(), 2);

    Array<Object*> everything(1, 1);
    holder->CollectByType(Object::TYPE, everything);
    EXPECT_EQ(everything.Count(), 3u);
    EXPECT_EQ(everything[0], holder.Get());
}

TEST(Object, DeletingAHeldObjectWarnsWithTheCount)
{
    LogCapture capture;
    ProbeObject* object = new ProbeObject();
    object->AddRef();
    object->AddRef();
    delete object;
    EXPECT_TRUE(capture.Contains("Удаление объекта, имеющего ссылки. Количество ссылок [2]."));
}

TEST(ClassFactory, ConcreteClassesCreateAndAbstractOnesRefuse)
{
    Object* created = nullptr;
    ASSERT_EQ(ProbeObject::Factory(&created), 0);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetRefCount(), 0);
    EXPECT_TRUE(created->GetName().IsEmpty());
    Ptr<Object> hold = created;

    Object* none = reinterpret_cast<Object*>(1);
    EXPECT_EQ(OtherObject::Factory(&none), 1);
    EXPECT_EQ(none, nullptr);

    LogCapture capture;
    EXPECT_EQ(Object::Factory(&none), 1);
    EXPECT_TRUE(capture.Contains("Создание объекта абстрактного класса [Object]."));
    EXPECT_EQ(capture.Lines().back().level, kLogCritical);
}

TEST(Object, ControllersSaveOldestFirstAndLoadInTheSameOrder)
{
    RegisterClassFactory(ProbeController::TYPE.GetName(), &ProbeController::Factory);
    RegisterClassFactory(ProbeObject::TYPE.GetName(), &ProbeObject::Factory);
    Ptr<ProbeObject> holder = new ProbeObject(String("holder"));
    for (const char* name : {"A", "B", "C"})
        holder->SetController(new ProbeController(String(name)));

    Stream out(0, 1024);
    ASSERT_EQ(out.WriteLink(holder.Get()), 0);

    ByteStream in(WrittenBytes(out));
    Object* read = nullptr;
    ASSERT_EQ(in.ReadLink(read), 0);
    Ptr<Object> loaded = read;
    ASSERT_EQ(loaded->GetControllerCount(), 3u);
    EXPECT_EQ(loaded->GetController(0)->GetName(), String("C"));
    EXPECT_EQ(loaded->GetController(2)->GetName(), String("A"));
    EXPECT_EQ(loaded->GetController(0)->GetTarget(), loaded.Get());

    UnregisterClassFactory(ProbeController::TYPE.GetName());
    UnregisterClassFactory(ProbeObject::TYPE.GetName());
}

TEST(Object, AControllerThatWouldCloseAnOwnershipCycleIsRefused)
{
    Ptr<ProbeController> a = new ProbeController(String("a"));
    Ptr<ProbeController> b = new ProbeController(String("b"));
    ASSERT_EQ(a->SetController(b.Get()), 0);
    LogCapture capture;
    EXPECT_EQ(b->SetController(a.Get()), 3);
    EXPECT_EQ(a->SetController(a.Get()), 3);
    EXPECT_EQ(b->GetControllerCount(), 0u);
}
