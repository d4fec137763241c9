// The HTTP client and printing, loaded from their module on first use, and
// the register program, which must not load them (or what they pull in)
// before its first window.
#include "platform/late/late_services.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString binDir = QStringLiteral(VELMORA_BIN_DIR);

TEST(LateServices, LoadOnlyFromAModuleThatOffersThem)
{
    QTemporaryDir dir;
    QFile text(dir.filePath("register-services.so"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a library");
    text.close();

    // The built module cut short, as a copy that stopped half-way leaves it:
    // loading it would map pages past its end.
    QFile built(binDir + "/register-services.so");
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    const QByteArray whole = built.readAll();
    const auto cut = [&](const char *name, qsizetype bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(whole.left(bytes)) == bytes);
        return f.fileName();
    };

    struct Case {
        const char *name;
        QString path;
        bool loads;
        const char *reason = ""; // contained in the error
    };
    const Case cases[] = {
        {"the built module", binDir + "/register-services.so", true},
        {"no file", dir.filePath("missing/register-services.so"), false},
        {"a file that is no library", text.fileName(), false},
        {"a library without the entry point",
         QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqoffscreen.so", false},
        {"the module cut after 36,000 bytes", cut("cut.so", 36000), false, "cut short"},
        {"the module without its last byte", cut("last.so", whole.size() - 1), false, "cut short"},
        {"the module cut inside its header", cut("head.so", 40), false, "too short"},
        {"a folder", dir.path(), false, "not a regular file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const late::Services *services = late::loadServices(c.path, &error);
        if (c.loads) {
            ASSERT_NE(services, nullptr) << error.toStdString();
            EXPECT_NE(services->httpGet, nullptr);
            EXPECT_NE(services->printDocument, nullptr);
        } else {
            EXPECT_EQ(services, nullptr);
            EXPECT_FALSE(error.isEmpty());
            EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
        }
    }
}

TEST(LateServices, TheProgramsModuleServesThroughTheSameCalls)
{
    // The test programs lie beside the module, as the register program does.
    QString error;
    ASSERT_NE(late::services(&error), nullptr) << error.toStdString();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("form.pdf");
    QString docName;
    const auto outcome = late::printDocument(
        QStringLiteral("Product Registration"), {{QStringLiteral("a line")}},
        [&](QPrinter &printer, QWidget *) {
            docName = printer.docName();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        },
        nullptr);
    EXPECT_EQ(outcome, printing::PrintOutcome::Printed);
    EXPECT_EQ(docName, QStringLiteral("Product Registration"));
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST(LateServices, TheRegisterProgramStartsWithoutThem)
{
    // The libraries the dynamic linker maps when the program starts (what
    // ldd lists), without running it.
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_TRACE_LOADED_OBJECTS"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.start(binDir + "/register", {});
    ASSERT_TRUE(program.waitForFinished(10000));
    const QString loaded = QString::fromLocal8Bit(program.readAllStandardOutput());
    ASSERT_TRUE(loaded.contains(QLatin1String("libQt6Widgets"))) << loaded.toStdString();
    for (const char *library : {"libQt6PrintSupport", "libQt6Network", "libcurl", "libcups"})
        EXPECT_FALSE(loaded.contains(QLatin1String(library))) << library;
}

} // namespace
