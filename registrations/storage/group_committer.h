#pragma once

// Group commit over any storage engine: registrations handed in while one
// transaction is being committed wait and are then committed together in the
// next one, so a flushed commit serves many requests instead of one each.
// Each registration's caller learns its outcome only after the commit that
// holds it is durable.

#include "registrations/storage/storage.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace registrations::storage {

class GroupCommitter {
  public:
    // Called once per registration, from the committing thread: the stored
    // outcome, or nothing and the reason when its transaction failed.
    using Done = std::function<void(const std::optional<Stored> &, const QString &error)>;

    // maxBatch bounds one transaction (and so the wait of the first in it).
    explicit GroupCommitter(Storage &storage, int maxBatch = 512);
    // Commits what was handed in, then stops.
    ~GroupCommitter();
    GroupCommitter(const GroupCommitter &) = delete;
    GroupCommitter &operator=(const GroupCommitter &) = delete;

    void submit(Registration registration, Done done);

    // Transactions committed and registrations they held, for the benchmark.
    qint64 commits() const;

  private:
    struct Pending {
        Registration registration;
        Done done;
    };

    void run();

    Storage &m_storage;
    const int m_maxBatch;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Pending> m_queue;
    bool m_stopping = false;
    qint64 m_commits = 0;
    std::thread m_thread;
};

} // namespace registrations::storage
