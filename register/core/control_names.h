#pragma once

// The names of the wizard's controls, in one place. The fixed controls of the
// three layouts are named constants: a misspelt constant does not compile,
// where a misspelt text would find no control at run time. The controls that
// the pages build from the configuration are named by the functions below.
// Nothing takes these names apart: validation and the registration learn what
// a control is from the record of what the pages built
// (register/core/built_questions.h).

#include <QLatin1String>
#include <QString>
#include <QStringView>

namespace names {

// The main window.
inline constexpr QLatin1String frmWelcome{"frmWelcome"};
inline constexpr QLatin1String frmPages{"frmPages"}; // 0 personal information, 1.. questions
inline constexpr QLatin1String frmMethod{"frmMethod"};
inline constexpr QLatin1String frmThanksPrint{"frmThanksPrint"};
inline constexpr QLatin1String frmThanksOnline{"frmThanksOnline"};
inline constexpr QLatin1String frmError{"frmError"};

inline constexpr QLatin1String lblFirstName{"lblFirstName"};
inline constexpr QLatin1String txtFirstName{"txtFirstName"};
inline constexpr QLatin1String lblLastName{"lblLastName"};
inline constexpr QLatin1String txtLastName{"txtLastName"};
inline constexpr QLatin1String lblAddress1{"lblAddress1"};
inline constexpr QLatin1String txtAddress1{"txtAddress1"};
inline constexpr QLatin1String lblAddress2{"lblAddress2"};
inline constexpr QLatin1String txtAddress2{"txtAddress2"};
inline constexpr QLatin1String lblCity{"lblCity"};
inline constexpr QLatin1String txtCity{"txtCity"};
inline constexpr QLatin1String cmbCity{"cmbCity"};
inline constexpr QLatin1String lblState{"lblState"};
inline constexpr QLatin1String txtState{"txtState"};
inline constexpr QLatin1String cmbState{"cmbState"};
inline constexpr QLatin1String lblZip{"lblZip"};
inline constexpr QLatin1String txtZip{"txtZip"};
inline constexpr QLatin1String lblPhone{"lblPhone"};
inline constexpr QLatin1String txtPhone{"txtPhone"};
inline constexpr QLatin1String lblEmail{"lblEmail"};
inline constexpr QLatin1String txtEmail{"txtEmail"};
inline constexpr QLatin1String lblLogin{"lblLogin"};
inline constexpr QLatin1String txtLogin{"txtLogin"};
inline constexpr QLatin1String lblCountry{"lblCountry"};
inline constexpr QLatin1String txtCountry{"txtCountry"};

inline constexpr QLatin1String lblMethod{"lblMethod"};
inline constexpr QLatin1String optOnline{"optOnline"};
inline constexpr QLatin1String optPrint{"optPrint"};
inline constexpr QLatin1String cmdOk{"cmdOk"};
inline constexpr QLatin1String lblThanksPrint{"lblThanksPrint"};
inline constexpr QLatin1String cmdFinish{"cmdFinish"};
inline constexpr QLatin1String lblThanksOnline{"lblThanksOnline"};
inline constexpr QLatin1String Text1{"Text1"}; // the request shown on the thanks page in test mode
inline constexpr QLatin1String cmdExit{"cmdExit"};
inline constexpr QLatin1String cmdRetry{"cmdRetry"};

inline constexpr QLatin1String lblLanguage{"lblLanguage"};
inline constexpr QLatin1String cmbCountry{"cmbCountry"};
inline constexpr QLatin1String cmbLanguage{"cmbLanguage"};
inline constexpr QLatin1String imgWelcomeTitle{"imgWelcomeTitle"};
inline constexpr QLatin1String imgBack{"imgBack"};
inline constexpr QLatin1String cmdPrev{"cmdPrev"};
inline constexpr QLatin1String cmdNext{"cmdNext"};
inline constexpr QLatin1String cmdSubmit{"cmdSubmit"};

// The main window and both dialogs.
inline constexpr QLatin1String cmdCancel{"cmdCancel"};
// The online-error texts of the main window (elements 1 and 2) and the
// message dialog's text.
inline constexpr QLatin1String lblError{"lblError"};
// The confirming button of both dialogs.
inline constexpr QLatin1String cmdQuit{"cmdQuit"};

// The register-later dialog.
inline constexpr QLatin1String optLater{"optLater"};
inline constexpr QLatin1String optCancel{"optCancel"};
inline constexpr QLatin1String optTomorrow{"optTomorrow"};
inline constexpr QLatin1String txtDays{"txtDays"};
inline constexpr QLatin1String lblLater{"lblLater"};
inline constexpr QLatin1String lblCancel{"lblCancel"};

// The family of the question pages' answer lists. Element 0 is the design's
// unused template; each built list records the object it answers in its Tag.
inline constexpr QLatin1String answerFamily{"page_spe_cmb_Answer"};

// Type codes of page objects, as their control names carry them.
namespace code {
inline constexpr QLatin1String image{"img"};
inline constexpr QLatin1String label{"lbl"};
inline constexpr QLatin1String text{"txt"};
inline constexpr QLatin1String date{"dat"};
inline constexpr QLatin1String combo{"cbo"};
inline constexpr QLatin1String list{"lst"};
inline constexpr QLatin1String check{"chk"};
inline constexpr QLatin1String radio{"rad"};
} // namespace code

// A page object's control: "page_<page>_<code>_<id>", e.g. "page_2_txt_1".
// The welcome page is the page after the last question page.
QString objectName(int page, QLatin1String code, const QString &id);

// The hidden holders that carry a field's rules to validation: the pattern
// and the optional flag (for option groups and lists: the number of options
// that must have a choice, "0" for none). A personal field's holder is named
// after its stem ("txtFirstname_patten"), a page object's after the object
// ("page_2_txt_1_optional").
enum class Holder { Pattern, Optional };
QString holderName(const QString &field, Holder holder);

// Option k of a check-box, list or option-group object: "<object>opt<k>".
QString optionName(const QString &object, int k);
// The object an option's id belongs to: the part before "opt" ("3opt1" gives
// "3"); an id without "opt" is its own.
QString idBeforeOption(const QString &id);

// The three lists of a date object, "<object>y", "<object>m" and "<object>d",
// and the separator label after a list, "<object>lbl<part>".
QString datePartName(const QString &object, QStringView part);
QString dateSeparatorName(const QString &object, QStringView part);

// The frame around an option group: "frm_<object>". It goes with its page
// frame and is never hidden on its own.
QString groupFrameName(const QString &object);

} // namespace names
