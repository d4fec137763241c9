#include "register/startup/startup.h"

#include "register/core/control_names.h"

#include "platform/cmdline/command_line.h"
#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/pages/containers.h"
#include "register/rules/messages.h"
#include "register/startup/global_settings.h"
#include "register/startup/language.h"
#include "register/validation/country_list.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <cstdio>

namespace {

// How many characters of a setting are kept: all of them, or the first
// kMaxSettingLength without splitting a character in two.
qsizetype keptLength(const QString &value)
{
    if (value.size() <= kMaxSettingLength)
        return value.size();
    const qsizetype keep = kMaxSettingLength;
    return value[keep - 1].isHighSurrogate() ? keep - 1 : keep;
}

// A start-up key: its trimmed text when present and not empty.
std::optional<QString> startupKey(WizardState &state, const char *name)
{
    const xml::Node node = rootReader(state).require(QStringLiteral("//") + QLatin1String(name),
                                                     QStringLiteral("the built-in value stays"));
    if (!node)
        return std::nullopt;
    const QString text = forms::trimBlanks(node.text());
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype keep = keptLength(text);
    if (keep < text.size())
        rootReader(state).report(node, {}, QStringLiteral("is %1 characters long").arg(text.size()),
                                 QStringLiteral("only its first %1 are used").arg(keep));
    // The reminder hands the game name back on a command line, where a blank
    // followed by "/" always opens a new argument.
    if (QLatin1String(name) == QLatin1String("default_gamename") &&
        text.left(keep).contains(QLatin1String(" /")))
        rootReader(state).report(node, {},
                                 QStringLiteral("holds \" /\", which no command line can carry"),
                                 QStringLiteral("a reminder leaves the name out and the relaunched "
                                                "wizard reads it here again"));
    return text.left(keep);
}

void applyCommandLine(WizardState &state)
{
    for (int i = 1; i < state.commandArgs.size(); ++i) {
        // Only the first "=" separates key and value: a value keeps every
        // later one (a registration URL with a query, "?site=eu").
        const QString &argument = state.commandArgs[i];
        const qsizetype equals = argument.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = argument.left(equals);
        QString value = forms::trimBlanks(argument.mid(equals + 1));
        if (const qsizetype keep = keptLength(value); keep < value.size()) {
            std::fprintf(stderr,
                         "register: the command line's /%s= value is %lld characters long; only "
                         "its first %lld are used\n",
                         key.toLocal8Bit().constData(), static_cast<long long>(value.size()),
                         static_cast<long long>(keep));
            value.truncate(keep);
        }
        if (key == QLatin1String("game"))
            state.gameName = value;
        else if (key == QLatin1String("url"))
            state.registrationUrl = value;
        else if (key == QLatin1String("language"))
            state.currentLanguage = value;
        else if (key == QLatin1String("country"))
            state.countryName = value;
        else if (key == QLatin1String("default"))
            state.useDefault = value;
    }
}

// Fills cmbLanguage with an empty entry and one entry per "else" section;
// answers the position of the current language, or 0 (the empty entry).
int fillLanguageList(forms::Form &form, WizardState &state)
{
    forms::Control *list = form.control(names::cmbLanguage);
    const model::ConfigReader reader = rootReader(state);
    state.languageNodes = state.configDoc.selectNodes(QStringLiteral("//language"));
    // A second section with the same id and country is listed (when "else")
    // but can never be loaded: the first of the two always wins. Each is
    // told apart from the first of its kind by one lookup, however many
    // sections there are.
    QHash<QString, int> firstOfKind;
    for (int i = 0; i < state.languageNodes.size(); ++i) {
        const xml::Node &node = state.languageNodes[i];
        const QString key =
            forms::trimBlanks(node.attribute(QStringLiteral("id")).value_or(QString())).toLower() +
            u'\n' +
            forms::trimBlanks(node.attribute(QStringLiteral("country")).value_or(QString()))
                .toLower();
        const auto first = firstOfKind.constFind(key);
        if (first == firstOfKind.cend()) {
            firstOfKind.insert(key, i);
            continue;
        }
        reader.report(node, {"id", "country"},
                      QStringLiteral("repeats the section at %1")
                          .arg(reader.lineOf(state.languageNodes[*first])),
                      QStringLiteral("this section is never used; choosing either entry of "
                                     "the language list loads the first"));
    }
    list->clearItems();
    list->addItem(QString());
    int k = 0;
    int preselected = 0;
    bool matched = false;
    for (int i = 0; i < state.languageNodes.size(); ++i) {
        const xml::Node &node = state.languageNodes[i];
        const std::optional<QString> country = node.attribute(QStringLiteral("country"));
        if (!reader.required(node, "country", QStringLiteral("it is not listed"))) {
            continue;
        }
        if (forms::trimBlanks(*country) != QLatin1String("else"))
            continue;
        const std::optional<QString> idAttr = node.attribute(QStringLiteral("id"));
        const QString id = forms::trimBlanks(idAttr.value_or(QString()));
        if (id.isEmpty()) {
            reader.report(node, {"country"}, QStringLiteral("has no id"),
                          QStringLiteral("it is listed empty"));
        }
        ++k;
        if (i < state.languageIds.size())
            state.languageIds[i] = id;
        list->addItem(id.left(1).toUpper() + id.mid(1).toLower());
        if (id.toLower() == state.currentLanguage.toLower()) {
            preselected = k;
            matched = true;
        }
    }
    if (!matched)
        state.currentLanguage = QStringLiteral("English");
    return preselected;
}

} // namespace

QString builtInRegistrationUrl(bool normalMode)
{
    return normalMode
               ? QStringLiteral("http://register.velmora.example/register.asp")
               : QStringLiteral("http://register-test.velmora.example/nr/cd_register/register.asp");
}

StartupResult runStartup(forms::Form &mainForm, forms::Form &cancelForm, WizardState &state,
                         const QStringList &processArguments)
{
    StartupResult result;

    // 1-2. Test mode when nocheck.txt lies beside the program.
    state.normalMode =
        !QFileInfo(QDir(state.appPath).filePath(QStringLiteral("nocheck.txt"))).isFile();
    state.stage = Stage::RegionAndLanguage;
    state.submitResult = SubmitResult::Accepted;

    // 3. The configuration document.
    const QString configPath = QDir(state.appPath).filePath(QStringLiteral("config.xml"));
    if (!state.configDoc.load(configPath)) {
        // No section can name the language; a language given on the command
        // line (a reminder's relaunch gives one) still chooses the words.
        state.commandArgs = GetCommandLine(processArguments.join(u' '), 5);
        applyCommandLine(state);
        result.error = messageText(Message::ConfigurationUnreadable, state.currentLanguage) +
                       u'\n' + state.configDoc.errorString();
        model::ConfigProblem problem;
        const xml::ParseError &where = state.configDoc.parseError();
        problem.line = where.line;
        problem.column = where.column;
        problem.element = where.element;
        problem.what = where.line > 0 ? where.what : state.configDoc.errorString();
        problem.instead = QStringLiteral("the wizard says so and ends");
        state.problems.report(problem);
        return result;
    }
    result.configLoaded = true;
    // Warnings the author accepted in the file's comments are left out.
    state.problems.setAccepted(model::AcceptedWarnings::fromText(state.configDoc.text()));

    // 4-6. Built-in values, then the configuration.
    state.currentLanguage = QStringLiteral("English");
    const xml::Node useDefault = rootReader(state).require(
        QStringLiteral("//use_default"), QStringLiteral("nothing is preselected"));
    state.useDefault = useDefault.text();
    state.registrationUrl = builtInRegistrationUrl(state.normalMode);
    if (auto v = startupKey(state, "default_language"))
        state.currentLanguage = *v;
    if (auto v = startupKey(state, "default_country"))
        state.countryName = *v;
    if (auto v = startupKey(state, "default_gamename"))
        state.gameName = *v;
    if (auto v = startupKey(state, "default_url"))
        state.registrationUrl = *v;

    // 7-8. The command line overrides the configuration.
    // The raw argument text is the arguments joined with single blanks, the
    // form schedule writes them in.
    state.commandArgs = GetCommandLine(processArguments.join(u' '), 5);
    applyCommandLine(state);

    // 9-10. The language list.
    const int preselected = fillLanguageList(mainForm, state);

    // 11-12. Countries, then the remembered language when asked to preselect.
    LoadCountry(mainForm, state);
    if (state.useDefault == QLatin1String("1"))
        mainForm.control(names::cmbLanguage)->setListIndex(preselected);

    // 13-15. The language section and the global settings.
    LoadLanguage(state);
    mainForm.control(names::txtCountry)->setText(mainForm.control(names::cmbCountry)->text());
    LoadGlobalSetting(mainForm, cancelForm, state);
    SetContainer(mainForm, state, nullptr);

    // 16. The background fills the window.
    forms::Control *back = mainForm.control(names::imgBack);
    back->move(0, 0);
    back->resize(mainForm.width(), mainForm.height());
    back->setVisible(true);
    mainForm.control(names::lblLanguage)->setForeColor(state.defaultForeColor);
    return result;
}
