#pragma once
#include "engine/core/RefCounted.h"
#include "engine/core/String.h"

// One message of the message window: its title (the group's name, or
// "Help") and its body.
struct Message
{
    String title;
    String body;

    bool IsEmpty() const { return title.IsEmpty() && body.IsEmpty(); }
    void Clear()
    {
        title = String();
        body = String();
    }
};

// A named group of messages the window asks in turn: the local facts, a
// feed. The user switches each group on and off by its name.
class MessageSource : public RefCounted
{
public:
    ~MessageSource() override = default;

    // The group's name, also every message's title.
    const String& GetName() const { return name; }
    virtual void SetName(const String& newName) { name = newName; }

    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() = 0;
    // The next message into out; false when the group has none now.
    virtual bool GetNextMessage(Message& out) = 0;
    // Per frame, while the window is updated.
    virtual void Update(float seconds) = 0;

protected:
    explicit MessageSource(const String& name) : name(name) {}

    String name;
};
