#pragma once
#include "engine/scene/Camera.h"

// A camera with three more stored settings that nothing reads; kept so that
// scenes round-trip byte for byte.
class FPCamera : public Camera
{
    QRE_DECLARE_CLASS

public:
    explicit FPCamera(const String& name = String()) : Camera(name) {}

    float GetFirstSetting() const { return first; }
    float GetSecondSetting() const { return second; }
    bool GetFlag() const { return flag != 0; }
    void SetSettings(float firstValue, float secondValue, bool flagValue)
    {
        first = firstValue;
        second = secondValue;
        flag = flagValue ? 1 : 0;
    }

    // streaming: the two floats, then the flag
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    float first = 1.0f;
    float second = 3.0f;
    uint8_t flag = 0;
};
