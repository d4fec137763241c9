#include "register/startup/language.h"

#include "platform/forms/conversions.h"
#include "platform/pictures/pictures.h"
#include "register/wizard/wizard_state.h"

namespace {

QString normalised(const std::optional<QString> &value)
{
    return forms::trimBlanks(value.value_or(QString())).toLower();
}

} // namespace

void LoadLanguage(WizardState &state)
{
    state.languageNodes = state.configDoc.selectNodes(QStringLiteral("//language"));
    if (state.languageNodes.isEmpty())
        return; // languageDoc stays as it was
    const QString language = forms::trimBlanks(state.currentLanguage).toLower();
    const QString country = forms::trimBlanks(state.countryName).toLower();

    const xml::Node *chosen = nullptr;
    for (const xml::Node &n : state.languageNodes) {
        if (normalised(n.attribute(QStringLiteral("id"))) == language &&
            normalised(n.attribute(QStringLiteral("country"))) == country) {
            chosen = &n;
            break;
        }
    }
    if (!chosen) {
        for (const xml::Node &n : state.languageNodes) {
            if (normalised(n.attribute(QStringLiteral("id"))) == language &&
                normalised(n.attribute(QStringLiteral("country"))) == QLatin1String("else")) {
                chosen = &n;
                break;
            }
        }
    }
    if (!chosen) {
        chosen = &state.languageNodes.first();
        state.currentLanguage = chosen->attribute(QStringLiteral("id")).value_or(QString());
    }
    state.languageDoc.loadXml(chosen->xml());
}

QPixmap languagePicture(const WizardState &state, const QString &name)
{
    return pictures::picture(state.currentLanguage.trimmed(), name.trimmed());
}
