#pragma once

// Builds the welcome page, the personal-information page and the question
// pages from the chosen language section's page markup.

#include <QDate>
#include <QString>
#include <QStringList>

namespace forms {
class Form;
class Control;
} // namespace forms
struct WizardState;

// Every page source in turn: pageXml 0 to pageCount into the frmPages
// elements, then welcomeXml into frmWelcome (page number pageCount + 1). Each
// frame is stretched over the window and stays hidden. Configuration problems
// are reported on standard error, one line each; the objects that can be
// built are built. today gives the year lists of date questions.
void LoadPageSetting(forms::Form &form, WizardState &state, const QDate &today);

// One page: describes the markup, renders what can be built into container
// and answers the problems (each worded with pageTitle, the object's id and
// type, and what was wrong).
QStringList buildPage(forms::Form &form, const WizardState &state, int pageNumber,
                      const QString &markup, forms::Control *container, const QString &pageTitle,
                      const QDate &today);
