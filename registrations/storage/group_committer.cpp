#include "registrations/storage/group_committer.h"

#include "registrations/storage/record.h"

#include <vector>

namespace registrations::storage {

GroupCommitter::GroupCommitter(Storage &storage, int maxBatch)
    : m_storage(storage), m_maxBatch(maxBatch), m_thread([this] { run(); })
{
}

GroupCommitter::~GroupCommitter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void GroupCommitter::submit(Registration registration, Done done)
{
    // Encoded here, on the caller's thread, so the one committing thread
    // only binds bytes.
    prepareForStorage(registration);
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({std::move(registration), std::move(done)});
    }
    m_wake.notify_one();
}

qint64 GroupCommitter::commits() const
{
    std::lock_guard lock(m_mutex);
    return m_commits;
}

void GroupCommitter::run()
{
    std::vector<Pending> batch;
    std::vector<Registration> registrations;
    for (;;) {
        batch.clear();
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty())
                return; // stopping, and everything handed in was answered
            while (!m_queue.empty() && int(batch.size()) < m_maxBatch) {
                batch.push_back(std::move(m_queue.front()));
                m_queue.pop_front();
            }
        }
        registrations.clear();
        for (Pending &p : batch)
            registrations.push_back(std::move(p.registration));
        QString error;
        const std::optional<QList<Stored>> stored = m_storage.store(registrations, &error);
        {
            std::lock_guard lock(m_mutex);
            ++m_commits;
        }
        for (size_t i = 0; i < batch.size(); ++i) {
            if (stored)
                batch[i].done((*stored)[qsizetype(i)], QString());
            else
                batch[i].done(std::nullopt, error);
        }
    }
}

} // namespace registrations::storage
