#include "register/core/skin.h"

#include "platform/pictures/pictures.h"
#include "register/core/wizard_state.h"

#include <QFile>

QString ownPicturesFolder(const WizardState &state)
{
    return state.appPath + QStringLiteral("/pictures");
}

FoundPicture findLanguagePicture(const WizardState &state, const QString &name)
{
    const QString language = state.currentLanguage.trimmed();
    const QString trimmed = name.trimmed();
    const QString folder = ownPicturesFolder(state);
    const QString own = pictures::ownPictureFile(folder, language, trimmed);
    if (!own.isEmpty()) {
        QFile file(own);
        FoundPicture found;
        found.ownFile = QStringLiteral("pictures") + own.mid(folder.size());
        // A picture file of a wizard is a few hundred KiB at most; a larger
        // one is taken for no picture rather than read whole.
        constexpr qint64 kMaxPictureBytes = 16 * 1024 * 1024;
        if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxPictureBytes)
            found.bytes = file.readAll();
        return found;
    }
    return {pictures::resourceBytes(language, trimmed), {}};
}

QPixmap languagePicture(const WizardState &state, const QString &name)
{
    return pictures::pictureFromBytes(findLanguagePicture(state, name).bytes);
}

QByteArray languagePictureBytes(const WizardState &state, const QString &name)
{
    return findLanguagePicture(state, name).bytes;
}

pictures::LazyPicture lazyPicture(const FoundPicture &found)
{
    if (found.ownFile.isEmpty())
        return pictures::LazyPicture::fromBytes(found.bytes);
    return pictures::LazyPicture(pictures::pictureFromBytes(found.bytes));
}

QString pictureProblem(const WizardState &state, const QString &name, const FoundPicture &found)
{
    if (!found.ownFile.isEmpty())
        return QStringLiteral("\"%1\" is the file %2, which does not decode as a PNG, JPEG or "
                              "GIF picture")
            .arg(name, found.ownFile);
    return QStringLiteral("\"%1\" is not among the pictures of %2")
        .arg(name, state.currentLanguage.trimmed().toLower());
}

bool languageHasPictures(const WizardState &state)
{
    const QString language = state.currentLanguage.trimmed();
    return !pictures::resourceBytes(language, u"back").isEmpty() ||
           pictures::hasOwnPictures(ownPicturesFolder(state), language);
}

QString graveToLineBreaks(QString text)
{
    text.replace(u'`', QLatin1String("\r\n"));
    return text;
}
