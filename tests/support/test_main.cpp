// One main for every test program: offscreen widgets, a private runtime
// folder, and a check that no test leaves a top-level window open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

namespace {

class NoWindowLeftOpen : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo &info) override
    {
        QApplication::processEvents();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible()) {
                ADD_FAILURE() << info.name()
                              << " left a window open: " << w->objectName().toStdString();
                w->close();
            }
        }
    }
};

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir runtimeDir;
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    // One 1280 x 1024 screen, a common desktop, so that what depends on the
    // screen's size (a message dialog that must stay on it) is the same on
    // every machine.
    QFile screen(runtimeDir.filePath(QStringLiteral("screen.json")));
    if (screen.open(QIODevice::WriteOnly) &&
        screen.write(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": 1280,)"
                     R"( "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") >
            0 &&
        screen.flush())
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen.fileName()));
    else
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new NoWindowLeftOpen);
    return RUN_ALL_TESTS();
}
