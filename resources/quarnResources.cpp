#include "resources/quarnResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a global function, so it must be expanded outside any namespace.
static void initQuarnResources()
{
    Q_INIT_RESOURCE(quarn);
}

namespace QuarnResources {

void Init()
{
    static const bool registered = (initQuarnResources(), true);
    Q_UNUSED(registered);
}

} // namespace QuarnResources
