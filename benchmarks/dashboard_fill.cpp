// Fills a registrations database with generated registrations spread evenly
// over the days before now, for the dashboard benchmark (dashboard.sh):
//   dashboard_fill DATABASE COUNT [DAYS]
#include "registrations/storage/storage.h"
#include "tests/registrations/dashboard/generated_registrations.h"

#include <QDateTime>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: dashboard_fill DATABASE COUNT [DAYS]\n");
        return 2;
    }
    const qint64 count = std::atoll(argv[2]);
    const qint64 days = argc > 3 ? std::atoll(argv[3]) : 365;
    QString error;
    auto storage = registrations::storage::openStorage(QString::fromLocal8Bit(argv[1]), &error);
    if (!storage) {
        std::fprintf(stderr, "dashboard_fill: %s\n", qPrintable(error));
        return 1;
    }
    std::mt19937_64 rng(21);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const qint64 spanMs = days * 24 * 60 * 60 * 1000;
    const qint64 startMs = now.toMSecsSinceEpoch() - spanMs;
    constexpr qint64 kBatch = 5000;
    QList<registrations::storage::Registration> batch;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 at = startMs + spanMs * i / count;
        batch.append(generated::make(rng, i, QDateTime::fromMSecsSinceEpoch(at, QTimeZone::utc())));
        if (batch.size() == kBatch || i + 1 == count) {
            if (!storage->store(batch, &error)) {
                std::fprintf(stderr, "dashboard_fill: %s\n", qPrintable(error));
                return 1;
            }
            batch.clear();
        }
    }
    std::printf("%lld registrations stored\n", static_cast<long long>(count));
    return 0;
}
