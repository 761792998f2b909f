#include "resources/ImageResources.h"

#include <QtCore/qglobal.h>

static void initImageResources()
{
    Q_INIT_RESOURCE(resources);
}

void EnsureImageResources()
{
    static const bool loaded = (initImageResources(), true);
    Q_UNUSED(loaded);
}
