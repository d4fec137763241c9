#pragma once

// What the wizard built for each question it asks: the controls of every
// page object and of every personal field, recorded as they are built.
// Validation and the registration walk the window's controls in collection
// order, as the player's answers must be checked and sent in that order, and
// learn here what each control is: the question it belongs to and its part
// in it. A control's meaning comes from the object that built it, never from
// taking its name apart.
//
// Objects of one page with the same type and id (ids compared as control
// names are, whatever their case) share their controls, so they share one
// question here: the controls gathered from all of them, and the holders
// carrying the rules written last.

#include <QHash>
#include <QLatin1String>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringView>

#include <utility>

namespace forms {
class Control;
}

namespace built {

struct Question {
    // Page objects: the page number their controls are built for, the type
    // code (names::code) and the id as written. A personal field has page -1,
    // no code, and as id the stem of its holders ("txtFirstname").
    int page = -1;
    QLatin1String code;
    QString id;

    // The control the player answers in: a text box, a list box, an answer
    // list, a label's own control; a personal field's text box (none for a
    // field shown as a list, which is not checked).
    QPointer<forms::Control> input;
    // A date's three lists, with the part each holds ("y", "m", "d").
    QList<std::pair<QString, QPointer<forms::Control>>> dateLists;
    // Option k of a check-box, list or option-group object at position k.
    QList<QPointer<forms::Control>> options;
    // The frame around an option group.
    QPointer<forms::Control> group;
    // The hidden boxes that carry the rules: the pattern (the age limit
    // writes the birth date's minimum age there) and the optional flag (for
    // boxes and lists the number of options needing a choice; its Tag is the
    // field's own error text).
    QPointer<forms::Control> patternHolder;
    QPointer<forms::Control> optionalHolder;

    // Its place in the record.
    int number = -1;

    bool isPersonalField() const { return page < 0; }
    forms::Control *dateList(QStringView part) const; // nullptr when the date has no such part
    forms::Control *option(int k) const;              // nullptr beyond the options built
};

// What one control is to its question.
enum class Role {
    Own,            // the object's own control: label, text box, list box
    DateList,       // one list of a date
    DateSeparator,  // the label between two lists of a date
    Option,         // an option of a box, list or group
    Group,          // the frame of an option group
    AnswerList,     // the element of the answer-list family the object uses
    PatternHolder,  // the hidden holders
    OptionalHolder, //
};

struct Part {
    int question = -1;
    Role role = Role::Own;
    // What the control adds to its question's id in the control's name: a
    // date list its part, a separator "lbl" and the part before it, an
    // option "opt" and its number. The registration's rules about ids read
    // the whole (an id ending in a letter answers for the id without it).
    QString suffix;
};

class Questions {
  public:
    // Forgets every question (the controls are about to go or be built again).
    void clear();

    // The question of a page object, made on first use.
    Question &pageObject(int page, QLatin1String code, const QString &id);
    // The question of a personal field, made on first use.
    Question &personalField(QLatin1String stem);
    // An existing question of a page object; nullptr when none was built.
    const Question *find(int page, QLatin1String code, const QString &id) const;

    // Records the control as part of the question, and the question's
    // control for that role (its input, a date list, the next option, a
    // holder); nullptr is ignored. A control records one answering part and
    // one holder part: the first recording of each stands (a control found
    // again by a later object of the same name means the same to it).
    void add(forms::Control *control, Question &question, Role role, const QString &suffix = {});

    // The answering part of a control (not a holder), or nullptr.
    const Part *partOf(const forms::Control *control) const;
    // The holder part of a control, or nullptr.
    const Part *holderOf(const forms::Control *control) const;
    const Question &question(const Part &part) const { return m_questions[part.question]; }

    bool isEmpty() const { return m_questions.isEmpty(); }

  private:
    struct Entry {
        QPointer<forms::Control> control; // gone or replaced: the entry is stale
        Part part;
    };
    static const Part *live(const QHash<const forms::Control *, Entry> &map,
                            const forms::Control *control);
    int indexOf(const QString &key) const { return m_byKey.value(key, -1); }

    QList<Question> m_questions;
    QHash<QString, int> m_byKey;
    QHash<const forms::Control *, Entry> m_parts;
    QHash<const forms::Control *, Entry> m_holders;
};

} // namespace built
