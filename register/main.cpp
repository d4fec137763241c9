// The registration wizard: reads config.xml beside the program and walks the
// player through region, welcome, personal and question pages to an online
// registration or a printed form.
#include "register/wizard/main_form.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora Register"));

    MainForm window(QCoreApplication::applicationDirPath(), app.arguments().mid(1));
    window.Form_Load();

    // The window starts centred on the screen.
    if (const QScreen *screen = window.screen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - window.rect().center());
    }
    window.show();
    return app.exec();
}
