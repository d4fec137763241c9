#pragma once

// What a registration is made of, read from the main window's controls: the
// personal fields, the birth date of the welcome page and the items of the
// question pages. Both the request and the printed form are built from this.

#include <QList>
#include <QString>

#include <optional>

namespace forms {
class Form;
}
struct WizardState;

// One personal field whose label is visible.
struct PersonalEntry {
    QString key;     // the key the request sends it under ("FirstName", ...)
    QString caption; // the label's caption
    QString value;   // the text box's text, as typed
};

// The personal fields whose labels are visible, in the registration's fixed
// order: first name, last name, address 1 and 2, city, state, postal code,
// country, telephone, e-mail, login. The birth date is apart (birthDate).
// City and state come from their text boxes also where lists are shown; the
// lists keep the boxes filled.
QList<PersonalEntry> visiblePersonalFields(const forms::Form &form);

// The welcome page's birth date, present when that page's label 0 is visible;
// its label and date as the page build recorded them.
struct BirthDate {
    QString caption;             // the caption of the welcome page's label 0
    std::optional<QString> date; // year/month/day as typed, when a real date
};
std::optional<BirthDate> birthDate(const forms::Form &form, const WizardState &state);

// An item of a question page, in the walk order of the window's controls.
struct QuestionItem {
    enum class Kind { Question, Answer };
    Kind kind;
    QString page; // the page number part of the control's name
    QString id;   // the question the item belongs to
    QString text; // the question text, or the answer
};

struct QuestionPages {
    QList<QuestionItem> items;
    // The answer of a question-page text box whose id is "1": the product the
    // player names. The last such box walked wins.
    std::optional<QString> productName;
};

// Walks the window's controls in collection order and keeps those the page
// build recorded for an object of a question page (state.pageQuestions),
// except the objects whose direct container is the welcome frame or the
// personal-information frame (frmPages 0), and those whose id, as their
// control carries it, does not begin with a digit or holds a "_":
//  - a label whose id ends with a digit gives a question text;
//  - a text box gives its text, always, also when empty; an id ending in a
//    non-digit loses that character, so the boxes of one question share an
//    id; the three lists of a date ("<id>y", "<id>m", "<id>d") answer alike,
//    once the date is a real one;
//  - a selected option button and a ticked check box (list options are check
//    boxes too) give their caption; the id is the part before "opt";
//  - an answer list gives its text under its object's page and id.
QuestionPages readQuestionPages(const forms::Form &form, const WizardState &state);

// Puts the product named on a question page into gameName. A product box
// left blank keeps the configured name: an empty name would tell the server
// nothing about what was registered.
void applyProductName(const QuestionPages &pages, WizardState &state);
