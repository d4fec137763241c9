#pragma once

// What a screen reader says for the answers of a built page. An answer has
// no caption of its own: the page's label with the same id is its question,
// so a text box, a list or an answer list is named by that label; a date's
// three lists by the label and the part each list holds ("Date of birth:
// Year"); check boxes and options keep their own captions and carry the
// question as their description, as does an option group's frame.

#include "register/pages/page_objects.h"

#include <QList>

namespace forms {
class Form;
}
struct WizardState;

// Names the answers of the objects of page pageNumber, once they are all
// built (a label may follow its answer in the markup), through the controls
// the page build recorded for each (state.pageQuestions).
void nameAnswers(forms::Form &form, const WizardState &state, int pageNumber,
                 const QList<pages::PageObject> &objects);
