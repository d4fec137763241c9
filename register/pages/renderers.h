#pragma once

// One renderer per object type: it finds or creates the controls of one
// question by name on the window, puts them in the page frame `container`,
// stores each field's pattern and optional flag in hidden holder text boxes
// ("N_patten", "N_optional"), and tells what it built (Rendered).
//
// Colours: a colour the object does not give is the language's default
// colour (defaultForeColor, defaultBackColor).

#include "register/core/built_questions.h"
#include "register/pages/page_objects.h"

#include <QList>
#include <QString>

namespace forms {
class Form;
class Control;
} // namespace forms
struct WizardState;

// The controls one object was built as, each with its part in the object, in
// the order they were built; the page build records them for the object's
// question.
struct Rendered {
    struct Piece {
        forms::Control *control;
        built::Role role;
        QString suffix; // see built::Part
    };
    QList<Piece> pieces;
    void add(forms::Control *control, built::Role role, const QString &suffix = {})
    {
        pieces.append({control, role, suffix});
    }
};

// Picture N, behind the page's other controls. False when the current
// language has no picture of that name (the control is placed all the same).
bool Render_Image(forms::Form &form, const WizardState &state, const pages::ImageObject &object,
                  forms::Control *container);

// Label N, sized to its caption, in front.
Rendered Render_Label(forms::Form &form, const WizardState &state, const pages::LabelObject &object,
                      forms::Control *container);

// Text box N with its two holders. The text box whose id is "1" carries the
// product name, and cannot be edited when the product name is known.
Rendered Render_TextBox(forms::Form &form, const WizardState &state,
                        const pages::TextObject &object, forms::Control *container);

// Three editable lists N + part ("y", "m", "d" in the configured order), 1000
// twips wide at steps of 1200, two separator labels N + "lbl" + part in the
// gaps, and the two holders. The year list runs from currentYear down 100 years.
Rendered Render_Date(forms::Form &form, const WizardState &state, const pages::DateObject &object,
                     forms::Control *container, int currentYear);

// An element of the answer-list family page_spe_cmb_Answer whose Tag is N
// (element 0 belongs to the window's design and is never used).
Rendered Render_Combo(forms::Form &form, const WizardState &state, const pages::ComboObject &object,
                      forms::Control *container);

// A multiple-selection list N whose options are check boxes N + "opt" + k
// inside it, and the optional holder.
Rendered Render_ListBox(forms::Form &form, const WizardState &state,
                        const pages::ListObject &object, forms::Control *container);

// Check boxes N + "opt" + k and the optional holder (its Tag: the error text).
Rendered Render_CheckBox(forms::Form &form, const WizardState &state,
                         const pages::CheckObject &object, forms::Control *container);

// Group frame "frm_" + N holding option buttons N + "opt" + k.
Rendered Render_RadioBox(forms::Form &form, const WizardState &state,
                         const pages::RadioObject &object, forms::Control *container);
