#include "platform/shell/processes.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

TEST(StartDetached, StartsTheProgramWithExactArgumentsInTheWorkingFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString stub = testsupport::writeFile(dir.path(), "stub",
                                                "#!/bin/sh\n"
                                                "printf '%s\\n%s' \"$#\" \"$*\" > recorded.tmp\n"
                                                "mv recorded.tmp recorded.txt\n");
    QFile::setPermissions(stub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QStringList args{"/default=1", "/game=Deep Sky ", "/url=http://h.test/a?b=$x"};
    ASSERT_TRUE(shell::startDetached(stub, args, dir.path()));
    const QString recorded = dir.filePath("recorded.txt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(recorded); }, 10000));
    EXPECT_EQ(testsupport::readFile(recorded), QStringLiteral("3\n") + args.join(u' '));
}

TEST(StartDetached, SaysWhenTheProgramCannotBeStarted)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(shell::startDetached(dir.filePath("missing"), {}, dir.path()));
    const QString notExecutable = testsupport::writeFile(dir.path(), "plain", "#!/bin/sh\n");
    EXPECT_FALSE(shell::startDetached(notExecutable, {}, dir.path()));
}

} // namespace
