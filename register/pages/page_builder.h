#pragma once

// Builds the welcome page, the personal-information page and the question
// pages from the chosen language section's page markup.

#include "register/pages/page_objects.h"

#include <QDate>
#include <QList>
#include <QRect>
#include <QString>

namespace forms {
class Form;
class Control;
} // namespace forms
struct WizardState;

// Every page in turn: pages 0 to pageCount into the frmPages elements, then
// the welcome page into frmWelcome (page number pageCount + 1). Each
// frame is stretched over the window and stays hidden. Configuration problems
// go to the run's problem log with the object's line in config.xml, and so do
// objects outside the window and input objects that overlap; the objects that
// can be built are built. today gives the year lists of date questions.
void LoadPageSetting(forms::Form &form, WizardState &state, const QDate &today);

// What one page became: its problems (each worded with pageTitle, the
// object's id and type, and what was wrong) and where each built object
// stands in its frame, in twips.
struct BuiltPage {
    struct Placed {
        int object = -1; // position among the page's "object" elements
        QRect rect;      // all of the object's shown controls together
        bool input = false;
    };
    QList<pages::PageProblem> problems;
    QList<Placed> placed;
};

// One page: names its objects for pageNumber, renders what can be built
// into container, and records the controls of each object in
// state.pageQuestions.
BuiltPage buildPage(forms::Form &form, WizardState &state, int pageNumber,
                    pages::PageDefinition page, forms::Control *container, const QString &pageTitle,
                    const QDate &today);
