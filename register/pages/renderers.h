#pragma once

// One renderer per object type: it finds or creates the controls of one
// question by name on the window, puts them in the page frame `container`,
// and stores each field's pattern and optional flag in hidden holder text
// boxes that validation finds by name ("N_patten", "N_optional").
//
// Colours: a colour the object does not give is the language's default
// colour (defaultForeColor, defaultBackColor).

#include "register/pages/page_objects.h"

namespace forms {
class Form;
class Control;
} // namespace forms
struct WizardState;

// Picture N, behind the page's other controls. False when the current
// language has no picture of that name (the control is placed all the same).
bool Render_Image(forms::Form &form, const WizardState &state, const pages::ImageObject &object,
                  forms::Control *container);

// Label N, sized to its caption, in front.
void Render_Label(forms::Form &form, const WizardState &state, const pages::LabelObject &object,
                  forms::Control *container);

// Text box N with its two holders. The text box whose id is "1" carries the
// product name, and cannot be edited when the product name is known.
void Render_TextBox(forms::Form &form, const WizardState &state, const pages::TextObject &object,
                    forms::Control *container);

// Three editable lists N + part ("y", "m", "d" in the configured order), 1000
// twips wide at steps of 1200, two separator labels N + "lbl" + part in the
// gaps, and the two holders. The year list runs from currentYear down 100 years.
void Render_Date(forms::Form &form, const WizardState &state, const pages::DateObject &object,
                 forms::Control *container, int currentYear);

// An element of the answer-list family page_spe_cmb_Answer whose Tag is N
// (element 0 belongs to the window's design and is never used).
void Render_Combo(forms::Form &form, const WizardState &state, const pages::ComboObject &object,
                  forms::Control *container);

// A multiple-selection list N whose options are check boxes N + "opt" + k
// inside it, and the optional holder.
void Render_ListBox(forms::Form &form, const WizardState &state, const pages::ListObject &object,
                    forms::Control *container);

// Check boxes N + "opt" + k and the optional holder (its Tag: the error text).
void Render_CheckBox(forms::Form &form, const WizardState &state, const pages::CheckObject &object,
                     forms::Control *container);

// Group frame "frm_" + N holding option buttons N + "opt" + k.
void Render_RadioBox(forms::Form &form, const WizardState &state, const pages::RadioObject &object,
                     forms::Control *container);
