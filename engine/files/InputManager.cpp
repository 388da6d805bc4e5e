#include "engine/files/InputManager.h"

#include <memory>
#include <new>
#include <vector>

#include "engine/core/Array.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/files/InputHandler.h"
#include "platform/Window.h"

namespace
{

Array<Ptr<InputHandler>> handlers{0, 1};     // newest first
std::unique_ptr<Array<InputEvent>> events;   // null while the manager is stopped

InputEvent ToInputEvent(const platform::WindowEvent& source)
{
    using Type = platform::WindowEvent::Type;
    switch (source.type)
    {
    case Type::Close: return {InputEvent::kSystem, InputEvent::kClose, 0, 0};
    case Type::KeyDown: return {InputEvent::kKeyboard, InputEvent::kPress, EngineKeyFromVirtualKey(source.code), 0};
    case Type::KeyUp: return {InputEvent::kKeyboard, InputEvent::kRelease, EngineKeyFromVirtualKey(source.code), 0};
    case Type::MouseMove: return {InputEvent::kMouse, InputEvent::kMove, source.x, source.y};
    case Type::ButtonDown: return {InputEvent::kMouse, InputEvent::kPress, source.code, 0};
    case Type::ButtonUp: return {InputEvent::kMouse, InputEvent::kRelease, source.code, 0};
    }
    return {InputEvent::kSystem, 0, 0, 0};
}

} // namespace

int32_t InputManager::Initialize()
{
    LogInfo("Инициализация менеджера ввода.");
    if (!events)
        events.reset(new (std::nothrow) Array<InputEvent>(128, 128));
    if (!events)
    {
        LogError("Недостаточно памяти для инициализации менеджера ввода.");
        return 1;
    }
    LogInfo("Менеджер ввода инициализирован.");
    return 0;
}

int32_t InputManager::Terminate()
{
    LogInfo("Завершение работы менеджера ввода.");
    events.reset();
    handlers.Clear();
    LogInfo("Менеджер ввода завершил работу.");
    return 0;
}

int32_t InputManager::RegisterInputHandler(InputHandler* handler)
{
    if (!handler)
    {
        LogWarning("Указатель на обработчик ввода равен 0.");
        return 3;
    }
    for (const Ptr<InputHandler>& registered : handlers)
    {
        if (registered == handler)
        {
            LogWarning("Обработчик ввода [%s] уже зарегестрирован.", handler->GetName().CStr());
            return 0;
        }
    }
    if (handlers.Insert(0, Ptr<InputHandler>(handler)) != 0)
    {
        LogError("Недостаточно памяти для регистрации обработчика ввода [%s].", handler->GetName().CStr());
        return 2;
    }
    return 0;
}

void InputManager::AddInputEvent(const InputEvent& event)
{
    if (events)
        events->Append(event);
}

int32_t InputManager::ProcessInput()
{
    std::vector<platform::WindowEvent> pending;
    platform::PumpWindowEvents(pending);
    for (const platform::WindowEvent& source : pending)
        AddInputEvent(ToInputEvent(source));

    if (!events)
        return 0;
    for (uint32_t h = 0; h < handlers.Count(); ++h)
        for (uint32_t i = 0; i < events->Count(); ++i)
            handlers[h]->OnInputEvent((*events)[i]);
    events->Clear();
    return 0;
}

uint32_t InputManager::GetHandlerCount()
{
    return handlers.Count();
}

uint32_t InputManager::GetQueuedEventCount()
{
    return events ? events->Count() : 0;
}
