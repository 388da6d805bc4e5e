#include "engine/core/Object.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Controller.h"

namespace
{

uint32_t nextObjectId = 0;

} // namespace

struct Object::ControllerNode
{
    Ptr<Controller> controller;
    ControllerNode* next;
};

const RTTI Object::TYPE("QRE.Object", nullptr);
bool Object::classRegistered = false;

void Object::RegisterClassFunctions()
{
    if (classRegistered)
        return;
    AddInitializeFunction(&Object::Initialize);
    AddTerminateFunction(&Object::Terminate);
    classRegistered = true;
}

int32_t Object::Initialize()
{
    if (!RegisterClassFactory(TYPE.GetName(), &Object::Factory))
    {
        LogCritical("Инициализация класса [Object] прошла неудачно.");
        return 1;
    }
    LogInfo("Инициализация класса [Object] прошла удачно.");
    return 0;
}

int32_t Object::Terminate()
{
    UnregisterClassFactory(TYPE.GetName());
    LogInfo("Завершение работы класса [Object] прошло удачно.");
    return 0;
}

int32_t Object::Factory(Object** place)
{
    if (place)
        *place = nullptr;
    LogCritical("Создание объекта абстрактного класса [Object].");
    return 1;
}

Object::Object(const String& name) : name(name), id(nextObjectId++)
{
}

Object::~Object()
{
    RemoveControllers();
}

uint32_t Object::PeekNextID()
{
    return nextObjectId;
}

Object* Object::FindByName(const String& searched)
{
    if (name == searched)
        return this;
    for (ControllerNode* node = controllers; node; node = node->next)
        if (Object* found = node->controller->FindByName(searched))
            return found;
    return nullptr;
}

void Object::CollectByType(const RTTI& type, Array<Object*>& found)
{
    if (IsDerived(type))
        found.Append(this);
    for (ControllerNode* node = controllers; node; node = node->next)
        node->controller->CollectByType(type, found);
}

void Object::UpdateControllers(double time)
{
    for (ControllerNode* node = controllers; node; node = node->next)
        node->controller->Update(time);
}

int32_t Object::SetController(Controller* controller)
{
    if (!controller)
    {
        LogWarning("Указатель на устанавливаемый контроллер равен 0. Имя[%s] ID[%d]", name.CStr(), id);
        return 3;
    }
    ControllerNode* node = new (std::nothrow) ControllerNode{Ptr<Controller>(controller), controllers};
    if (!node)
    {
        LogWarning("Недостаточно памяти для создания узла списка при установке контроллера. Имя[%s] ID[%d]",
                   name.CStr(), id);
        return 2;
    }
    controllers = node;
    controller->SetTarget(this);
    return 0;
}

uint32_t Object::GetControllerCount() const
{
    uint32_t count = 0;
    for (ControllerNode* node = controllers; node; node = node->next)
        ++count;
    return count;
}

Controller* Object::GetController(uint32_t index) const
{
    ControllerNode* node = controllers;
    for (; node && index > 0; --index)
        node = node->next;
    return node ? node->controller.Get() : nullptr;
}

void Object::RemoveControllers()
{
    while (controllers)
    {
        ControllerNode* node = controllers;
        controllers = node->next;
        delete node;
    }
}
