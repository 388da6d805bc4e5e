// The settings half of ScreensaverApp: the defaults table carried in the
// executable, the user's stored values, and the user-interface texts.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ScreensaverApp.h"
#include "app/TextTable.h"
#include "engine/core/Log.h"
#include "platform/KeyStore.h"
#include "platform/Resources.h"

namespace
{

constexpr int32_t kDefaultsResource = 239;
constexpr int32_t kUiStringsResource = 229;

// Reads a leading decimal number the way "%d" does (blanks, sign, digits);
// false when the text does not start with one. Numbers beyond 32 bits clamp
// instead of wrapping.
bool ReadDecimal(const String& text, int32_t& value)
{
    const char* start = text.CStr();
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(start, &end, 10);
    if (end == start)
        return false;
    if (parsed > INT32_MAX)
        parsed = INT32_MAX;
    if (parsed < INT32_MIN)
        parsed = INT32_MIN;
    value = static_cast<int32_t>(parsed);
    return true;
}

struct BoolField
{
    const char* key;
    bool Settings::*field;
};

struct IntField
{
    const char* key;
    int32_t Settings::*field;
};

// Field order is storage and log order.
constexpr BoolField kBoolFields[] = {
    {"ShowFPS", &Settings::showFps},
    {"ExitOnMouseMove", &Settings::exitOnMouseMove},
    {"ShowTime", &Settings::showTime},
    {"UseDesktopSettings", &Settings::useDesktopSettings},
    {"Music", &Settings::music},
    {"SFX", &Settings::sfx},
    {"Hour24", &Settings::hour24},
};

constexpr IntField kIntFields[] = {
    {"Volume", &Settings::volume},
    {"Width", &Settings::width},
    {"Height", &Settings::height},
    {"ColorDepth", &Settings::colorDepth},
    {"AntiAliasing", &Settings::antiAliasing},
    {"Gamma", &Settings::gamma},
};

const char* TrueFalse(bool value)
{
    return value ? "true" : "false";
}

} // namespace

bool ScreensaverApp::LoadMediaResource(int32_t number, std::vector<char>& bytes)
{
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!platform::FindResource("MEDIADATA", number, &data, &size))
    {
        LogError("Невозможно загрузить ресурс ID[%d].", number);
        return false;
    }
    bytes.assign(reinterpret_cast<const char*>(data), reinterpret_cast<const char*>(data) + size);
    return true;
}

int32_t ScreensaverApp::LoadDefaults()
{
    std::vector<char> table;
    if (!LoadMediaResource(kDefaultsResource, table))
    {
        LogInfo("Ресурс настроек не загружен.");
        return 1;
    }
    LogInfo("Ресурс настроек загружен.");

    TextTableReader reader(table.data(), static_cast<uint32_t>(table.size()));
    String line;
    while (reader.NextLine(line))
    {
        String key, value;
        SplitKeyValue(line, key, value);
        if (ParseDefault(key, value) != 0)
        {
            LogError("Неудачна обработка параметра [%s].", line.CStr());
            return 1;
        }
    }
    return 0;
}

int32_t ScreensaverApp::ParseDefault(const String& key, const String& value)
{
    if (key == "RegistryPath")
    {
        registryPath = value;
        return 0;
    }
    if (key == "main_web_site_url")
    {
        webSiteUrl = value;
        return 0;
    }
    for (const BoolField& entry : kBoolFields)
    {
        if (key == entry.key)
        {
            int32_t number = 0;
            ReadDecimal(value, number);
            defaults.*entry.field = number != 0;
            return 0;
        }
    }
    for (const IntField& entry : kIntFields)
    {
        if (key == entry.key)
        {
            ReadDecimal(value, defaults.*entry.field);
            return 0;
        }
    }
    return ParseExtraDefault(key, value);
}

int32_t ScreensaverApp::ApplyDefaults()
{
    current = defaults;
    return ApplyExtraDefaults();
}

int32_t ScreensaverApp::ReadSettings()
{
    platform::KeyStore store;
    std::string why;
    platform::KeyStore::OpenResult opened = store.Open(registryPath.CStr(), true, &why);
    if (opened == platform::KeyStore::OpenResult::Failed)
    {
        LogError("Неудачна попытка открытия пути реестра [%s].", registryPath.CStr());
        std::fprintf(stderr, "Error: %s\n", why.c_str());
        storeError = why;
        return 1;
    }
    if (opened == platform::KeyStore::OpenResult::Created)
    {
        store.Close(nullptr);
        LogInfo("Первый запуск скринсейвера. Запись параметров по-умолчанию в реестр...");
        if (WriteSettings() != 0)
        {
            LogError("Невозможно записать в реестр значения по-умолчанию.");
            return 1;
        }
        LogInfo("Значения параметров по-умолчанию записаны в реестр.");
        return 0;
    }

    uint32_t stored = 0;
    for (const BoolField& entry : kBoolFields)
        if (store.GetValue(entry.key, stored))
            current.*entry.field = stored != 0;
    for (const IntField& entry : kIntFields)
        if (store.GetValue(entry.key, stored))
            current.*entry.field = static_cast<int32_t>(stored);
    ReadExtraSettings(store);

    if (!store.Close(&why))
    {
        LogError("Неудачна попытка закрытия пути реестра [%s].", registryPath.CStr());
        return 1;
    }
    return 0;
}

int32_t ScreensaverApp::WriteSettings()
{
    platform::KeyStore store;
    std::string why;
    storeError.clear();
    if (store.Open(registryPath.CStr(), true, &why) == platform::KeyStore::OpenResult::Failed)
    {
        LogError("Неудачна попытка открытия пути реестра [%s].", registryPath.CStr());
        std::fprintf(stderr, "Error: %s\n", why.c_str());
        storeError = why;
        return 1;
    }
    for (const BoolField& entry : kBoolFields)
        store.SetValue(entry.key, current.*entry.field ? 1u : 0u);
    for (const IntField& entry : kIntFields)
        store.SetSigned(entry.key, current.*entry.field);
    WriteExtraSettings(store);
    if (!store.Close(&why))
    {
        LogError("Неудачна попытка закрытия пути реестра [%s].", registryPath.CStr());
        LogInfo("%s", why.c_str());
        storeError = why;
        return 1;
    }
    return 0;
}

int32_t ScreensaverApp::LogSettings()
{
    for (const BoolField& entry : kBoolFields)
        LogInfo("%s: %s", entry.key, TrueFalse(current.*entry.field));
    for (const IntField& entry : kIntFields)
        LogInfo("%s: %d", entry.key, current.*entry.field);
    return LogExtraSettings();
}

int32_t ScreensaverApp::LoadLocalData()
{
    std::vector<char> table;
    if (!LoadMediaResource(kUiStringsResource, table))
    {
        LogInfo("Ресурс локальных данных не загружен.");
        return 1;
    }
    LogInfo("Ресурс локальных данных загружен.");

    TextTableReader reader(table.data(), static_cast<uint32_t>(table.size()));
    String line;
    while (reader.NextLine(line))
    {
        String key, value;
        SplitKeyValue(line, key, value);
        uiStrings.Insert(key, value);
    }
    return 0;
}

const String* ScreensaverApp::FindUiString(const String& key) const
{
    return uiStrings.Find(key);
}
