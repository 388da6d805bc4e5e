#include "engine/core/RefCounted.h"

#include "engine/core/Log.h"

RefCounted::~RefCounted()
{
    if (refCount > 0)
        LogWarning("Удаление объекта, имеющего ссылки. Количество ссылок [%d].", refCount);
}

void RefCounted::Release()
{
    if (--refCount <= 0)
    {
        refCount = 0;
        delete this;
    }
}
