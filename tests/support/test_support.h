#pragma once

#include "platform/clock/clock.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>

#include <string>

namespace testsupport {

// Writes text (UTF-8) to dir/name, creating folders; returns the full path.
QString writeFile(const QString &dir, const QString &name, const QString &text);

// Reads a whole file as UTF-8; empty when missing.
QString readFile(const QString &path);

// Folder of the built programs (register, schedule, registration-server).
QString binDir();

// Folder of the source tree.
QString sourceDir();

// While it lives, no file this process writes may grow beyond `bytes`: a
// write past the limit fails (EFBIG) as it would on a full disk, with
// SIGXFSZ ignored so the process goes on.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// A clock that stands wherever the test puts it.
class TestClock : public dates::Clock {
  public:
    explicit TestClock(QDateTime at = {}) : at(std::move(at)) {}
    QDateTime now() const override { return at; }
    QDateTime at;
};

// The ctest name of a table row, in the one case style of every test name:
// each run of letters and digits starts a capital ("z_withoutBlank" gives
// "ZWithoutBlank", "a colour name" gives "AColourName").
std::string caseName(const char *name);

// Names each row of a table by its name field.
struct RowName {
    template <typename Row> std::string operator()(const ::testing::TestParamInfo<Row> &info) const
    {
        return caseName(info.param.name);
    }
};

} // namespace testsupport
