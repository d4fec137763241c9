#pragma once

// The dashboard page's files, compiled into the program at build time (the
// page, its style sheet and script, and Chart.js from the system's
// libjs-chart.js), so the service needs no files beside it and no network.

#include <QByteArrayView>
#include <QStringView>

#include <optional>

namespace registrations::dashboard {

struct Asset {
    QByteArrayView body;
    const char *contentType = nullptr;
};

// The file served under /admin/<name>; "index.html" for the folder itself.
std::optional<Asset> findAsset(QStringView name);

} // namespace registrations::dashboard
