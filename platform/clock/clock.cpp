#include "platform/clock/clock.h"

namespace dates {

Clock::~Clock() = default;

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

} // namespace dates
