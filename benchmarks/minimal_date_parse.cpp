// The floor that schedule's start-up is measured against: a QtCore program
// that reads one date-and-time text in the system locale and compares it with
// now. Nothing else: no splitting, no files, no process start.

#include <QDateTime>
#include <QLocale>
#include <QString>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const QLocale locale = QLocale::system();
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    if (!dateFormat.contains(QStringLiteral("yyyy")))
        dateFormat.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    const QDateTime due = locale.toDateTime(QString::fromLocal8Bit(argv[1]).trimmed(),
                                            dateFormat + QLatin1Char(' ') + timeFormat.trimmed());
    return due.isValid() && due < QDateTime::currentDateTime() ? 1 : 0;
}
