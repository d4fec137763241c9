#pragma once

// What assistive technology (a screen reader, over AT-SPI on Linux) is told
// of the forms layer's widgets where Qt's own description would mislead:
//
// - a picture button is a push button with a press action, not the image or
//   text of the label it is drawn with;
// - a list (combo box) is named by its accessible name when it has one. Qt
//   names a combo box on Linux by the entry it shows ("combo box, Canada")
//   and leaves the name to a label pointing at it, which the wizard's
//   captions cannot be: one caption may serve several lists, and a label
//   with a buddy would draw an ampersand in a caption as a shortcut mark.
//   The entry stays audible: in the edit field of an editable list, or as
//   the description of a list without one.

#include <QComboBox>

namespace forms {

// The lists the forms layer creates. Only the class differs from QComboBox,
// so that the description above is chosen for it.
class ComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit ComboBox(QWidget *parent = nullptr);
};

// Installs the descriptions once; the widgets that need them call it.
void installAccessibility();

} // namespace forms
