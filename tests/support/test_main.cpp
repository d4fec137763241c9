// One main for every test program: offscreen widgets, a private runtime
// folder, and a check that no test leaves a top-level window open.
#include <gtest/gtest.h>

#include <QApplication>
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir;
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new NoWindowLeftOpen);
    return RUN_ALL_TESTS();
}
