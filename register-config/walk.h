#pragma once

// Walks the real wizard through every screen of one language section, the way
// a player meets them, offscreen and with every outside effect cut off: no
// request is sent, nothing is printed, no autostart entry is written. Both
// check and preview are built on it, so they read and render exactly what the
// wizard does.

#include "platform/xml/xml_document.h"
#include "register/model/config_problems.h"
#include "register/model/configuration.h"

#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

class QTemporaryDir;
struct WizardState;
namespace forms {
class Form;
}

namespace regconfig {

// One language section of config.xml: the id and the country attribute as
// written ("else" for the section every other country gets).
struct Section {
    QString id;
    QString country;
    int line = 0;

    bool isCountryVariant() const;
    // "french", or "french (Canada)" for a country variant.
    QString title() const;
    // For file names: "french", "french-canada".
    QString slug() const;
};

// The sections the wizard can show, in document order. A section without an
// id or country, or one that repeats an earlier section's id and country, is
// left out: the wizard never chooses it.
QList<Section> sectionsOf(const model::Configuration &config);

// The choice of the region screen that leads into a section.
struct Visit {
    Section section;
    // The country chosen on the region screen: the variant's own country, or
    // for an "else" section the first listed country the wizard answers with
    // that language, else "Other". Its age limit applies on the welcome page.
    QString country;
};

// The visits for the sections asked for. language (an id, any letter case)
// keeps the sections of that language. country picks, for each language, the
// section the wizard shows a player of that country (its variant, or else the
// language's "else" section) with that country's age limit.
QList<Visit> visitsFor(const model::Configuration &config, const QString &language,
                       const QString &country);

// One screen as the player sees it. window: the main window; dialog: a dialog
// standing over it, or nullptr.
struct Screen {
    QString key;     // file-name part: "welcome", "page-03", "register-later"
    QString caption; // for the contact sheet
    QWidget *window = nullptr;
    QWidget *dialog = nullptr;
    // A picture made without a window (the printed form's first page).
    QImage printed;
};

// The picture of a screen: the window, with the dialog drawn where it stands
// over the window; or the printed picture.
QImage picture(const Screen &screen);

// A copy of the configuration beside which the wizard runs: the walk needs a
// program folder holding config.xml (and the test-mode marker, which lets the
// walk move on without answers).
class WizardFolder {
  public:
    // false when the configuration cannot be read at all; error says why.
    bool prepare(const QString &configPath, QString *error);
    QString path() const { return m_path; }
    // The configuration as the model reads it (its problems are those the
    // walk meets again, so they are not kept here).
    const model::Configuration &config() const { return m_model; }
    // The configuration's text, parsed as the wizard parses it.
    const xml::Document &document() const { return m_config; }
    // Problems of the file's bytes rather than of its elements (an encoding
    // that does not match the declaration), found while preparing.
    const QList<model::ConfigProblem> &fileProblems() const { return m_fileProblems; }
    // True when prepare failed because the text is not well-formed XML: the
    // error is then a located line like any other problem.
    bool malformed() const { return m_config.parseError().line > 0; }

    WizardFolder();
    ~WizardFolder();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    xml::Document m_config;
    model::Configuration m_model;
    QList<model::ConfigProblem> m_fileProblems;
};

// What the walk collected for one visit.
struct VisitResult {
    // The language list does not offer the section's language: no player
    // reaches it.
    bool unreachable = false;
    // The country chosen, as the region screen spells it.
    QString country;
    // What the readers reported while the section was read, shown and its
    // dialogs activated; the file's own problems (section empty) included.
    QList<model::ConfigProblem> problems;
};

using ScreenSink = std::function<void(const Screen &)>;

// Starts a wizard in the folder, chooses the visit's country and language,
// and shows each screen in turn (region, welcome, the age prompt, the
// register-later dialog, personal page, the data-error message, each question
// page, method, thanks online and print, both error texts), calling sink with
// each. With printedForm, a section that offers the printed form adds its
// first page as printed ("printed-form").
VisitResult walk(const QString &appPath, const Visit &visit, const ScreenSink &sink,
                 bool printedForm = false);

// The first page of the form the wizard would print now, at a screen's
// resolution; a null picture when it cannot be made.
QImage printedFormPage(const forms::Form &form, WizardState &state);

} // namespace regconfig
