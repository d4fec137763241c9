#pragma once

// Stands in for the player at the wizard's dialogs for as long as it lives,
// so that a test answers them without waiting in their modal loops: each
// message of the message dialog is recorded as the player would have seen
// it and answered with the next of the given answers (OK once they run out);
// the connecting notice is recorded, never answered; the register-later
// dialog is left with `later` (its Cancel unless the test says otherwise).

#include "register/dialogs/dlg_error.h"

#include <QAccessible>
#include <QApplication>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace testsupport {

class DialogAnswers {
  public:
    struct Asked {
        QString text; // as the dialog shows it
        DlgError::Buttons buttons;
        bool mainWindowEnabled;
        bool modal; // the application's modal window while it stood
        // What a screen reader is told of the dialog.
        QAccessible::Role role;
        QString description;
    };

    explicit DialogAnswers(std::vector<DlgError::Answer> answers = {})
        : m_answers(std::move(answers))
    {
    }

    std::vector<Asked> asked;
    // Runs while a message or notice stands, before it is answered.
    std::function<void(DlgError &)> whileShown;
    // Leaves the register-later dialog (or any dialog but the message dialog).
    std::function<void(SkinnedDialog &)> later = [](SkinnedDialog &d) { d.cmdCancel_Click(); };

    // The texts asked so far, in order.
    QStringList texts() const
    {
        QStringList all;
        for (const Asked &a : asked)
            all.append(a.text);
        return all;
    }

  private:
    void play(SkinnedDialog &shown)
    {
        auto *message = qobject_cast<DlgError *>(&shown);
        if (!message) {
            later(shown);
            return;
        }
        Asked a{message->text(),
                message->buttons(),
                true,
                QApplication::activeModalWidget() == message,
                QAccessible::NoRole,
                QString()};
        if (QWidget *main = message->parentWidget())
            a.mainWindowEnabled = main->window()->isEnabled();
        if (QAccessibleInterface *i = QAccessible::queryAccessibleInterface(message)) {
            a.role = i->role();
            a.description = i->text(QAccessible::Description);
        }
        asked.push_back(a);
        if (whileShown)
            whileShown(*message);
        // A notice is taken down by the wizard, not answered; a message the
        // test left itself is answered already.
        if (message->buttons() == DlgError::Buttons::None || !message->isVisible())
            return;
        const DlgError::Answer answer =
            m_next < m_answers.size() ? m_answers[m_next++] : DlgError::Answer::Ok;
        message->answer(answer);
    }

    std::vector<DlgError::Answer> m_answers;
    std::size_t m_next = 0;
    SkinnedDialog::StandIn m_standIn{[this](SkinnedDialog &shown) { play(shown); }};
};

} // namespace testsupport
