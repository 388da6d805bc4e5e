#include "engine/core/Object.h"

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/core/Controller.h"

namespace
{

uint32_t nextObjectId = 0;

} // namespace

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

int32_t Object::Save(Stream& stream)
{
    if (stream.WriteString(name) != 0)
    {
        LogError("Невозможно сохранить имя объекта. Имя[%s] ID[%d]", name.CStr(), id);
        return 1;
    }
    const uint32_t count = GetControllerCount();
    if (stream.WriteInt32(static_cast<int32_t>(count)) != 0)
    {
        LogError("Невозможно сохранить количество контроллеров объекта. Имя[%s] ID[%d]", name.CStr(), id);
        return 1;
    }
    // Oldest first, so that loading attaches them in their original order.
    for (uint32_t i = count; i-- > 0;)
    {
        if (stream.WriteLink(GetController(i)) != 0)
        {
            LogError("Невозможно сохранить контроллер объекта. Имя[%s] ID[%d]", name.CStr(), id);
            return 1;
        }
    }
    return 0;
}

int32_t Object::Load(Stream& stream)
{
    String loadedName;
    if (stream.ReadString(loadedName) != 0)
    {
        LogError("Невозможно загрузить имя объекта. ID[%d]", id);
        return 1;
    }
    SetName(loadedName);

    int32_t count = 0;
    if (stream.ReadInt32(count) != 0)
    {
        LogError("Невозможно загрузить количество контроллеров объекта. Имя[%s] ID[%d]", name.CStr(), id);
        return 1;
    }
    // Every link takes at least 4 bytes: a count beyond that cannot be
    // honest and would only spin through failing reads.
    if (count > 0 && !stream.CheckRemaining(static_cast<uint32_t>(count), 4))
    {
        LogError("Невозможно загрузить контроллер объекта. Имя[%s] ID[%d]", name.CStr(), id);
        return 1;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        Object* link = nullptr;
        if (stream.ReadLink(link) != 0)
        {
            LogError("Невозможно загрузить контроллер объекта. Имя[%s] ID[%d]", name.CStr(), id);
            return 1;
        }
        // A link of another class where a controller belongs counts as a
        // missing controller.
        Controller* controller = link && link->IsDerived(Controller::TYPE) ? static_cast<Controller*>(link) : nullptr;
        if (SetController(controller) != 0)
        {
            LogError("Невозможно установить контроллер объекта. Имя[%s] ID[%d]", name.CStr(), id);
            return 1;
        }
    }
    return 0;
}

bool Object::Holds(const Object* other) const
{
    for (const Ptr<Controller>& controller : controllers)
        if (controller.Get() == other || controller->Holds(other))
            return true;
    return false;
}

Object* Object::FindByName(const String& searched)
{
    if (name == searched)
        return this;
    for (const Ptr<Controller>& controller : controllers)
        if (Object* found = controller->FindByName(searched))
            return found;
    return nullptr;
}

void Object::CollectByType(const RTTI& type, Array<Object*>& found)
{
    if (IsDerived(type))
        found.Append(this);
    for (const Ptr<Controller>& controller : controllers)
        controller->CollectByType(type, found);
}

void Object::UpdateControllers(double time)
{
    for (uint32_t i = 0; i < controllers.Count(); ++i)
        controllers[i]->Update(time);
}

int32_t Object::SetController(Controller* controller)
{
    if (!controller)
    {
        LogWarning("Указатель на устанавливаемый контроллер равен 0. Имя[%s] ID[%d]", name.CStr(), id);
        return 3;
    }
    if (controller == this || controller->Holds(this))
    {
        LogWarning("Контроллер уже владеет объектом, установка замкнула бы цикл ссылок. Имя[%s] ID[%d]", name.CStr(),
                   id);
        return 3;
    }
    if (controllers.Insert(0, Ptr<Controller>(controller)) != 0)
    {
        LogWarning("Недостаточно памяти для создания узла списка при установке контроллера. Имя[%s] ID[%d]",
                   name.CStr(), id);
        return 2;
    }
    controller->SetTarget(this);
    return 0;
}

uint32_t Object::GetControllerCount() const
{
    return controllers.Count();
}

Controller* Object::GetController(uint32_t index) const
{
    return index < controllers.Count() ? controllers[index].Get() : nullptr;
}

void Object::RemoveControllers()
{
    controllers.Clear();
}
