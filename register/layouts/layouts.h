#pragma once

// The fixed layouts of the wizard's three windows: every design-time control
// with its kind, container, design position and size (twips), design text and
// tab order. Run-time code replaces most of these values from config.xml; the
// design values matter for what it leaves untouched.

namespace forms {
class Form;
}

namespace layouts {

// Client sizes of the windows, in twips.
inline constexpr int kMainFormWidth = 9765;
inline constexpr int kMainFormHeight = 6885;
inline constexpr int kCancelDialogWidth = 6030;
inline constexpr int kCancelDialogHeight = 4035;
inline constexpr int kErrorDialogWidth = 4875;
inline constexpr int kErrorDialogHeight = 1800;

void buildMainForm(forms::Form &form);
void buildCancelDialog(forms::Form &form);
void buildErrorDialog(forms::Form &form);

} // namespace layouts
