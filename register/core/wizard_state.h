#pragma once

// The wizard-wide values, under the names every subsystem uses. MainForm owns
// the one instance; subsystem functions take it by reference.

#include "platform/clock/clock.h"
#include "platform/pictures/pictures.h"
#include "platform/xml/xml_document.h"
#include "register/core/built_questions.h"
#include "register/model/config_problems.h"
#include "register/model/configuration.h"

#include <QColor>
#include <QDateTime>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

// Where the wizard stands: the region-and-language screen, the welcome
// screen, or the pages (personal information, then the questions, and the
// screens after them).
enum class Stage : std::int16_t { RegionAndLanguage = 0, Welcome = 1, Pages = 2 };

// What the registration server answered.
enum class SubmitResult : std::int16_t {
    Accepted = 0,
    WrongForm = 1,     // refused
    NoUsableReply = 2, // not reached, or an answer that is no registration reply
};

// A picture button's two pictures; either may be empty. The word is what the
// normal picture shows, in its language: the button's name for a screen
// reader, and what it shows when it has no picture. The hover picture is
// decoded when the mouse first comes over the button.
struct ButtonPictures {
    QPixmap normal;
    pictures::LazyPicture hover;
    QString word;
};

struct WizardState {
    WizardState() : languageIds(101), pages(model::kMaxQuestionPages + 1) {}

    // Start-up
    bool normalMode = true;    // false when nocheck.txt lies beside the program
    QString appPath;           // the program's folder, no trailing separator
    xml::Document configDoc;   // config.xml
    xml::Document languageDoc; // the chosen language section, parsed on its own
    xml::Node languageSource;  // that section's element in configDoc, for problem lines
    QString currentLanguage = QStringLiteral("English");
    QString countryName;
    QString gameName;
    QString registrationUrl;
    QString useDefault;
    QStringList commandArgs; // entry 0 empty, then the arguments
    // Every configuration reader reports here; the wizard echoes on standard error.
    model::ConfigProblems problems;
    QList<xml::Node> languageNodes;
    QStringList languageIds; // 101 entries, by position in languageNodes

    // Navigation
    Stage stage = Stage::RegionAndLanguage;
    std::int16_t pageIndex = 0; // 0 personal information, 1.. question pages
    std::int16_t pageCount = 0; // question pages of the chosen language
    SubmitResult submitResult = SubmitResult::Accepted;

    // Global settings of the language section
    QColor defaultForeColor = QColor(0, 0, 0);
    QColor defaultBackColor = QColor(0, 0, 0);
    QString languageErrorText;
    QString regionErrorText;
    QString connectToServerText;
    QString dataErrorText;
    bool onlineOnly = false;
    double buttonGap = 0; // single precision in the layout rules
    // The pages of the section as the configuration model read them, each
    // once: 0 the personal page's own objects, 1 to the page limit the
    // question pages; the welcome page apart.
    QList<model::PageDefinition> pages;
    model::PageDefinition welcomePage;
    // What was built for them: the personal fields' controls (recorded by
    // start-up) and the page objects' controls (recorded by the page build),
    // each forgotten when built again.
    built::Questions personalFields;
    built::Questions pageQuestions;

    // Pictures
    pictures::LazyPicture welcomeTitlePicture;
    pictures::LazyPicture pageTitlePicture;
    ButtonPictures cancelPictures, nextPictures, prevPictures, submitPictures;
    ButtonPictures okPictures, finishPictures, retryPictures, exitPictures;
    ButtonPictures quitPictures; // the dialogs' confirm button

    // Validation and age limit
    QString wrongDataMessage;
    QString agePrompt;
    QString ageOption;
};

class QPrinter;
class QWidget;

// Host services a test answers in advance: the clock, ending the program,
// the time-out of the registration request and the printer dialog.
struct WizardServices {
    std::shared_ptr<const dates::Clock> clock = std::make_shared<dates::SystemClock>();
    std::function<void()> endProgram;
    int requestTimeoutMs = 60000;
    // Chooses where the printed form goes; false when the player cancels.
    // Empty: the platform's printer dialog.
    std::function<bool(QPrinter &printer, QWidget *parent)> choosePrinter;
};
