// The baseline the wizard's first window is measured against: the simplest Qt
// program that shows the same picture. One fixed-size window with the 651 x 459
// JPEG background, eight GIF button pictures and two lists (250 countries, 6
// languages), all from a compiled-in resource, and nothing else: no
// configuration, no state, no further windows.
//
// Exits with status 2 when a picture does not load, so a missing image plugin
// cannot make the baseline look cheaper than it is.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Skinned"));
    window.setFixedSize(651, 459);

    const QPixmap background(QStringLiteral(":/skin/back.jpg"));
    if (background.size() != QSize(651, 459)) {
        std::fprintf(stderr, "bare_skinned: the background did not load\n");
        return 2;
    }
    auto *back = new QLabel(&window);
    back->setPixmap(background);
    back->setGeometry(0, 0, 651, 459);

    const char *const buttons[] = {"cancel", "previous", "next",  "ok",
                                   "submit", "finish",   "retry", "exit"};
    int i = 0;
    for (const char *name : buttons) {
        const QPixmap picture(QStringLiteral(":/skin/%1.gif").arg(QLatin1String(name)));
        if (picture.isNull()) {
            std::fprintf(stderr, "bare_skinned: the picture %s did not load\n", name);
            return 2;
        }
        auto *button = new QLabel(&window);
        button->setPixmap(picture);
        button->setGeometry(20 + (i % 4) * 155, 370 + (i / 4) * 42, picture.width(),
                            picture.height());
        ++i;
    }

    auto *countries = new QComboBox(&window);
    for (int c = 1; c <= 250; ++c)
        countries->addItem(QStringLiteral("Country %1").arg(c));
    countries->setGeometry(304, 158, 177, 21);

    auto *languages = new QComboBox(&window);
    for (const char *l : {"", "English", "French", "German", "Italian", "Spanish"})
        languages->addItem(QLatin1String(l));
    languages->setGeometry(304, 192, 177, 21);

    window.show();
    return app.exec();
}
