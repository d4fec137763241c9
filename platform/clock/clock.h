#pragma once

// The current local date and time, behind an interface so that tests can
// stand at any moment they like.

#include <QDateTime>

namespace dates {

class Clock {
  public:
    virtual ~Clock();
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
  public:
    QDateTime now() const override;
};

} // namespace dates
