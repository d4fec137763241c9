#include "register/startup/language.h"

#include "platform/forms/control.h"
#include "platform/forms/conversions.h"
#include "platform/pictures/pictures.h"
#include "register/core/skin.h"
#include "register/core/spoken_words.h"
#include "register/core/wizard_state.h"
#include "register/model/config_schema.h"

namespace {

QString normalised(const std::optional<QString> &value)
{
    return forms::trimBlanks(value.value_or(QString())).toLower();
}

// The picture a button of that element shows when configured as shipped:
// its word stands for the button whatever picture the section names.
QString ownPicture(const QString &element)
{
    return element == QLatin1String("prev") ? QStringLiteral("PREVIOUS") : element.toUpper();
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
    // A check still waiting reads the section about to be replaced.
    state.problems.runWaitingChecks();
    state.languageDoc.loadXml(chosen->xml());
    state.languageSource = *chosen;
}

model::ConfigReader sectionReader(WizardState &state)
{
    return model::ConfigReader(state.languageDoc, state.problems, state.languageSource);
}

model::ConfigReader rootReader(WizardState &state)
{
    return model::ConfigReader(state.configDoc, state.problems);
}

void checkLanguageSection(WizardState &state)
{
    const model::ConfigReader reader = sectionReader(state);
    const xml::Node section = state.languageDoc.documentElement();
    if (!section)
        return;
    if (!languageHasPictures(state)) {
        reader.warn(section, {"id"}, QStringLiteral("no-pictures"),
                    QStringLiteral("the program carries no pictures for \"%1\" (it has "
                                   "dutch, english, french, german, italian and spanish)")
                        .arg(section.attribute(QStringLiteral("id"))
                                 .value_or(state.currentLanguage)
                                 .trimmed()),
                    QStringLiteral("the window has no background and every picture button "
                                   "shows its name"));
    }
    // The elements a section may hold directly (the configuration's table of
    // elements); any other name is most likely a typo, and the element it was
    // meant to be is then missing.
    for (const xml::Node &child : section.elements()) {
        if (!model::schema::findElement(child.name(), QStringLiteral("language")))
            reader.report(child, {}, QStringLiteral("is not an element of a language section"),
                          QStringLiteral("it is ignored"));
    }
}

void forgetLanguagePictures(WizardState &state)
{
    state.welcomeTitlePicture = {};
    state.pageTitlePicture = {};
    for (ButtonPictures *pictures :
         {&state.cancelPictures, &state.nextPictures, &state.prevPictures, &state.submitPictures,
          &state.okPictures, &state.finishPictures, &state.retryPictures, &state.exitPictures,
          &state.quitPictures})
        *pictures = {};
}

void loadButtonPictures(WizardState &state, const QString &element, ButtonPictures &pictures)
{
    const model::ConfigReader reader = sectionReader(state);
    const xml::Node node = reader.require(QStringLiteral("//") + element,
                                          QStringLiteral("the button keeps its earlier picture "
                                                         "or shows its name"));
    const QString ownWord = words::pictureWord(state.currentLanguage, ownPicture(element));
    // A picture kept from before keeps its word; a plain button says its own.
    if (pictures.normal.isNull() || pictures.word.isEmpty())
        pictures.word = ownWord;
    if (!node)
        return;
    // An element taken from the wrong place, or a language without pictures,
    // is reported once as such; the faults that follow from it are not.
    const bool quiet = reader.misplaced(node) || !languageHasPictures(state);
    // The name an attribute gives and its picture's bytes; a name that is not
    // among the pictures (isPicture says no) is reported.
    const auto bytesOf = [&](const char *attribute, const QString &instead,
                             auto &&isPicture) -> std::pair<QString, QByteArray> {
        const std::optional<QString> name = quiet ? node.attribute(QLatin1String(attribute))
                                                  : reader.required(node, attribute, instead);
        if (!name)
            return {};
        const FoundPicture found = findLanguagePicture(state, *name);
        if (!isPicture(found) && !quiet)
            reader.report(node, {attribute}, pictureProblem(state, *name, found), instead);
        return {*name, found.bytes};
    };
    QPixmap normal;
    const QString normalName =
        bytesOf("src",
                pictures.normal.isNull() ? QStringLiteral("the button shows its name")
                                         : QStringLiteral("the button keeps its earlier picture"),
                [&normal](const FoundPicture &found) {
                    normal = pictures::pictureFromBytes(found.bytes);
                    return !normal.isNull();
                })
            .first;
    if (!normal.isNull()) {
        pictures.normal = normal;
        const QString word = words::pictureWord(state.currentLanguage, normalName);
        pictures.word = word.isEmpty() ? ownWord : word;
    }
    // A built-in hover picture is decoded when the mouse first comes over
    // the button.
    pictures::LazyPicture hover;
    bytesOf("srcover", QStringLiteral("the button keeps its normal picture under the mouse"),
            [&hover](const FoundPicture &found) {
                hover = lazyPicture(found);
                return !hover.isNull();
            });
    if (!hover.isNull())
        pictures.hover = hover;
    if (pictures.hover.isNull())
        pictures.hover = pictures.normal;
}

void showButtonPicture(forms::Control *button, const ButtonPictures &pictures)
{
    if (!pictures.word.isEmpty())
        button->setAccessibleName(pictures.word);
    button->setPicture(pictures.normal);
    if (pictures.normal.isNull())
        button->resize(kPlainButtonWidth, kPlainButtonHeight);
}
