#include "register/core/skin.h"

#include "platform/pictures/pictures.h"
#include "register/core/wizard_state.h"

QPixmap languagePicture(const WizardState &state, const QString &name)
{
    return pictures::picture(state.currentLanguage.trimmed(), name.trimmed());
}

QByteArray languagePictureBytes(const WizardState &state, const QString &name)
{
    return pictures::resourceBytes(state.currentLanguage.trimmed(), name.trimmed());
}

bool languageHasPictures(const WizardState &state)
{
    return !pictures::resourceBytes(state.currentLanguage.trimmed(), u"back").isEmpty();
}

QString graveToLineBreaks(QString text)
{
    text.replace(u'`', QLatin1String("\r\n"));
    return text;
}
