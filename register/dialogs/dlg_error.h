#pragma once

// The wizard's one message window, captioned "Attention": a message with OK,
// a question with OK and Cancel, or a notice without buttons while the wizard
// connects to the registration server.

#include "register/dialogs/skinned_dialog.h"

class DlgError : public SkinnedDialog {
    Q_OBJECT
  public:
    // mainForm is re-enabled when the dialog closes or hides itself, and
    // gets the keyboard back.
    DlgError(WizardState &state, forms::Form &mainForm, QWidget *parent);

    // What the dialog offers: OK alone, centred; OK and Cancel; or no button
    // at all (the connecting notice).
    enum class Buttons { Ok, OkCancel, None };
    enum class Answer { Ok, Cancel };

    // Shows message (the wrong-data message when empty) centred over the main
    // window, which stays disabled until the player answers, and returns the
    // answer. A question (OkCancel) answers Ok only when OK was pressed:
    // Cancel, Escape and the close box all answer Cancel. A message with OK
    // alone answers Ok however it is left. Asked with None, the message gets
    // OK alone: only showNotice stands without a button.
    Answer ask(const QString &message, Buttons buttons = Buttons::Ok);

    // The notice shown while the wizard connects: no button, application-
    // modal, and neither the close box nor Escape takes it down. The call
    // returns at once; endNotice takes it down and gives the window back.
    void showNotice(const QString &message);
    void endNotice();

    // The dialog as it stands: its buttons and the text the player reads.
    Buttons buttons() const { return m_buttons; }
    QString text() const;
    // Leaves the dialog as the button of that answer does.
    void answer(Answer answer);

    // Colours, pictures and button layout; runs each time the dialog is shown.
    void Form_Activate();

    void cmdQuit_Click() override;
    void cmdCancel_Click() override;

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    Buttons m_buttons = Buttons::Ok;
    Answer m_answer = Answer::Ok;
    Qt::WindowModality m_modalityBeforeNotice = Qt::NonModal;
};
