// The module the program loads on first use of a late service: the linked
// services, behind one C entry point.
#include "platform/late/late_services.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT const late::Services *velmoraLateServices()
{
    return late::services();
}
