#pragma once

// What the wizard's two dialogs share: a fixed layout with an OK (cmdQuit)
// and a Cancel picture button, the main window disabled while the dialog
// stands and its focused field given back afterwards, the hover pictures of
// the two buttons, and the way the dialog keeps itself enabled although it
// is a child of the window it disables.

#include "platform/forms/form.h"

#include <QDialog>
#include <QPixmap>
#include <QPointer>

#include <functional>

struct WizardState;

class SkinnedDialog : public QDialog {
    Q_OBJECT
  public:
    forms::Form &form() { return m_form; }

    // The main window is disabled while the dialog stands. Its focused field
    // gets the focus back afterwards. A second call while the window is
    // already disabled keeps the field of the first.
    void disableMainWindow();
    void enableMainWindow();

    // Shows the dialog modally and returns once it has been left. While a
    // StandIn lives no player is waited for: the dialog, shown just as
    // modally, is handed to the stand-in, which leaves it as a player would
    // (a button, a key, the close box); one it leaves standing is closed.
    void waitUntilLeft();

    // Stands in for the player at every dialog of the wizard shown while it
    // lives; the latest one made wins until it goes. Tests answer the
    // dialogs through it, and register-config's walk pictures them and goes
    // on, where a player would otherwise be waited for.
    class StandIn {
      public:
        using Player = std::function<void(SkinnedDialog &)>;
        explicit StandIn(Player player);
        ~StandIn();
        StandIn(const StandIn &) = delete;
        StandIn &operator=(const StandIn &) = delete;

      private:
        Player m_previous;
    };

    virtual void cmdQuit_Click() = 0;
    virtual void cmdCancel_Click() = 0;
    void cmdQuit_MouseMove();
    void cmdCancel_MouseMove();
    void Form_MouseMove();

  protected:
    using BuildLayout = void (*)(forms::Form &);
    // returnKeyboard: enabling the main window also hands it the keyboard
    // when this dialog has it (without a window manager nothing else would).
    SkinnedDialog(const char *objectName, BuildLayout build, WizardState &state,
                  forms::Form &mainForm, bool returnKeyboard, QWidget *parent);

    forms::Control *ctl(QLatin1String name) const;

    // A dialog that stands without waiting for anyone (a notice) is shown
    // to the stand-in, if there is one, which can look but not leave it.
    void showToStandIn();

    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

    WizardState &m_state;
    forms::Form &m_mainForm;

  private:
    forms::Form m_form;
    QPointer<QWidget> m_mainFocus;
    bool m_returnKeyboard;
};
