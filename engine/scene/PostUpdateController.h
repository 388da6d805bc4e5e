#pragma once
#include "engine/core/Controller.h"

// A controller whose work happens when the next frame begins, after the
// whole scene has been updated and before anything is drawn: render-to-
// texture and shadow-map controllers draw there.
class PostUpdateController : public Controller
{
    QRE_DECLARE_CLASS

public:
    explicit PostUpdateController(const String& name = String()) : Controller(name) {}

    // While active, joins the current renderer's pre-render queue (once per
    // frame however often it is updated); nothing else.
    int32_t Update(double time) override;

    // Run by the renderer's BeginFrame for each queued controller, in queue
    // order. Nothing here.
    virtual int32_t PostUpdate() { return 0; }
};
