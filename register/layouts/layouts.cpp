#include "register/layouts/layouts.h"

#include "register/core/control_names.h"

#include "platform/forms/form.h"
#include "register/model/configuration.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace layouts {

namespace {

using forms::Kind;

constexpr int kNoTab = -1;

struct ControlSpec {
    QLatin1String container; // null: the window itself
    int containerIndex;
    QLatin1String name;
    int index; // -1: not part of a control array
    Kind kind;
    int left, top, width, height;
    const char *text;
    int tabIndex;
    bool autoSize;
};

// In the window's control-collection order: the order the rules walk.
const ControlSpec kMainForm[] = {
    {{}, -1, names::frmWelcome, -1, Kind::Frame, 7560, 960, 1815, 4095, "", 57, false},
    {{}, -1, names::frmPages, 0, Kind::Frame, 840, 360, 5775, 2175, "", 33, false},
    {{}, -1, names::frmMethod, -1, Kind::Frame, 1680, 4560, 1815, 855, "", 22, false},
    {{}, -1, names::frmThanksPrint, -1, Kind::Frame, 3840, 3720, 1815, 1575, "", 26, false},
    {{}, -1, names::frmThanksOnline, -1, Kind::Frame, 0, 2880, 1815, 1575, "", 28, false},
    {{}, -1, names::frmError, -1, Kind::Frame, 360, 4680, 1935, 1215, "", 30, false},
    // The personal-information page.
    {names::frmPages, 0, names::lblFirstName, -1, Kind::Label, 240, 240, 975, 495, "Label2", 34,
     false},
    {names::frmPages, 0, names::txtFirstName, -1, Kind::TextBox, 1320, 120, 735, 375, "", 35,
     false},
    {names::frmPages, 0, names::lblLastName, -1, Kind::Label, 120, 720, 975, 495, "Label2", 36,
     false},
    {names::frmPages, 0, names::txtLastName, -1, Kind::TextBox, 1200, 600, 735, 375, "", 37, false},
    {names::frmPages, 0, names::lblAddress1, -1, Kind::Label, 360, 1560, 1455, 375, "Label2", 38,
     false},
    {names::frmPages, 0, names::txtAddress1, -1, Kind::TextBox, 2520, 1080, 1215, 375, "", 39,
     false},
    {names::frmPages, 0, names::lblAddress2, -1, Kind::Label, 1920, 1440, 495, 855, "Label2", 40,
     false},
    {names::frmPages, 0, names::txtAddress2, -1, Kind::TextBox, 3360, 360, 1095, 375, "", 41,
     false},
    {names::frmPages, 0, names::lblCity, -1, Kind::Label, 600, 1920, 615, 255, "sda", 42, false},
    {names::frmPages, 0, names::txtCity, -1, Kind::TextBox, 2280, 1920, 1455, 375, "", 43, false},
    {names::frmPages, 0, names::cmbCity, -1, Kind::ComboBox, 4800, 360, 1335, 315, "", 44, false},
    {names::frmPages, 0, names::txtState, -1, Kind::TextBox, 4200, 1560, 735, 285, "", 45, false},
    {names::frmPages, 0, names::cmbState, -1, Kind::ComboBox, 5280, 1560, 1215, 315, "", 46, false},
    {names::frmPages, 0, names::txtZip, -1, Kind::TextBox, 6720, 1920, 975, 375, "", 47, false},
    {names::frmPages, 0, names::txtPhone, -1, Kind::TextBox, 5760, 1080, 1455, 285, "", 48, false},
    {names::frmPages, 0, names::txtEmail, -1, Kind::TextBox, 1080, 1080, 975, 375, "", 49, false},
    {names::frmPages, 0, names::txtLogin, -1, Kind::TextBox, 4560, 840, 375, 285, "", 50, false},
    {names::frmPages, 0, names::lblState, -1, Kind::Label, 480, 2760, 1575, 255, "Label2", 51,
     false},
    {names::frmPages, 0, names::lblCountry, -1, Kind::Label, 480, 3360, 1095, 135, "Label2", 52,
     false},
    {names::frmPages, 0, names::lblPhone, -1, Kind::Label, 2160, 2760, 615, 255, "Label2", 53,
     false},
    {names::frmPages, 0, names::lblEmail, -1, Kind::Label, 1680, 3120, 495, 495, "Label2", 54,
     false},
    {names::frmPages, 0, names::lblZip, -1, Kind::Label, 4320, 2040, 495, 375, "Label2", 55, false},
    {names::frmPages, 0, names::lblLogin, -1, Kind::Label, 1080, 2280, 1335, 375, "Label2", 56,
     false},
    {names::frmPages, 0, names::txtCountry, -1, Kind::TextBox, 4920, 2640, 855, 375, "Text1", 60,
     false},
    // The method page.
    {names::frmMethod, -1, names::lblMethod, -1, Kind::Label, 0, 240, 1320, 195, "Label2", 23,
     true},
    {names::frmMethod, -1, names::optOnline, -1, Kind::OptionButton, 360, 600, 1335, 495, "Option1",
     24, false},
    {names::frmMethod, -1, names::optPrint, -1, Kind::OptionButton, 360, 1320, 1335, 375, "Option1",
     25, false},
    {names::frmMethod, -1, names::cmdOk, -1, Kind::PictureButton, 240, 240, 1095, 255, "", kNoTab,
     false},
    // The thanks pages.
    {names::frmThanksPrint, -1, names::lblThanksPrint, -1, Kind::Label, 120, 360, 1320, 195,
     "Label2", 27, true},
    {names::frmThanksPrint, -1, names::cmdFinish, -1, Kind::PictureButton, 120, 0, 1095, 255, "",
     kNoTab, false},
    {names::frmThanksOnline, -1, names::lblThanksOnline, -1, Kind::Label, 0, 0, 1320, 195, "Label2",
     29, true},
    {names::frmThanksOnline, -1, names::Text1, -1, Kind::TextBox, 240, 960, 855, 285, "Text1", 61,
     false},
    // The online-error page.
    {names::frmError, -1, names::lblError, 1, Kind::Label, 1680, 240, 1320, 195, "Label2", 31,
     true},
    {names::frmError, -1, names::lblError, 2, Kind::Label, 840, 600, 1320, 195, "Label2", 32, true},
    {names::frmError, -1, names::cmdExit, -1, Kind::PictureButton, 3240, 1440, 1095, 255, "",
     kNoTab, false},
    {names::frmError, -1, names::cmdRetry, -1, Kind::PictureButton, 5040, 1440, 1095, 255, "",
     kNoTab, false},
    // The region-and-language screen and the shared controls.
    {{},
     -1,
     names::lblLanguage,
     -1,
     Kind::Label,
     840,
     2400,
     2895,
     195,
     "Please choose your region and language",
     21,
     true},
    {{}, -1, names::cmbCountry, -1, Kind::ComboBox, 4560, 2370, 2655, 315, "", 20, false},
    {{}, -1, names::cmbLanguage, -1, Kind::ComboBox, 4560, 2880, 2655, 315, "", 58, false},
    {{}, -1, names::imgWelcomeTitle, -1, Kind::Image, 7680, 3000, 375, 255, "", kNoTab, false},
    {{}, -1, names::imgBack, -1, Kind::Image, 828, 4920, 495, 615, "", kNoTab, false},
    {{}, -1, names::cmdCancel, -1, Kind::PictureButton, 3360, 5280, 1095, 255, "", kNoTab, false},
    {{}, -1, names::cmdPrev, -1, Kind::PictureButton, 4680, 5280, 1095, 255, "", kNoTab, false},
    {{}, -1, names::cmdNext, -1, Kind::PictureButton, 5880, 5280, 1095, 255, "", kNoTab, false},
    {{}, -1, names::cmdSubmit, -1, Kind::PictureButton, 7080, 5280, 1095, 255, "", kNoTab, false},
    {{}, -1, names::answerFamily, 0, Kind::ComboBox, 5400, 6360, 2295, 315, "", 59, false},
};

const ControlSpec kCancelDialog[] = {
    {{}, -1, names::optLater, -1, Kind::OptionButton, 240, 840, 1335, 375, "Option1", 0, false},
    {{}, -1, names::optCancel, -1, Kind::OptionButton, 120, 1680, 1335, 495, "Option1", 1, false},
    {{}, -1, names::txtDays, -1, Kind::TextBox, 1800, 480, 375, 285, "Text1", 2, false},
    {{}, -1, names::lblLater, -1, Kind::Label, 3000, 480, 75, 195, "/", 3, true},
    {{}, -1, names::lblCancel, -1, Kind::Label, 3720, 1200, 480, 195, "Label1", 4, true},
    {{}, -1, names::optTomorrow, -1, Kind::OptionButton, 0, 0, 1335, 495, "optTomorrow", 5, false},
    {{}, -1, names::cmdCancel, -1, Kind::PictureButton, 2520, 2640, 1215, 255, "", kNoTab, false},
    {{}, -1, names::cmdQuit, -1, Kind::PictureButton, 4320, 2640, 1095, 255, "", kNoTab, false},
};

const ControlSpec kErrorDialog[] = {
    {{}, -1, names::lblError, -1, Kind::Label, 1320, 120, 480, 195, "Label1", 0, true},
    {{}, -1, names::cmdCancel, -1, Kind::PictureButton, 1200, 1200, 1215, 255, "", kNoTab, false},
    {{}, -1, names::cmdQuit, -1, Kind::PictureButton, 3000, 1200, 1095, 255, "", kNoTab, false},
};

template <std::size_t N>
void build(forms::Form &form, const ControlSpec (&specs)[N], int width, int height)
{
    form.setWidth(width);
    form.setHeight(height);
    std::vector<std::pair<int, forms::Control *>> tabbed;
    QList<forms::Control *> buttons;
    for (const ControlSpec &s : specs) {
        forms::Control *container =
            s.container.isNull() ? nullptr : form.control(s.container, s.containerIndex);
        forms::Control *c = form.createDesign(s.kind, s.name, s.index, container);
        c->move(s.left, s.top);
        c->resize(s.width, s.height);
        // A new control has no text yet: only a caption needs setting.
        if (*s.text)
            c->setText(QString::fromUtf8(s.text));
        c->setAutoSize(s.autoSize);
        if (s.tabIndex != kNoTab)
            tabbed.emplace_back(s.tabIndex, c);
        else if (s.kind == Kind::PictureButton)
            buttons.push_back(c);
    }
    // Keyboard order: the inputs by their tab index, then the picture buttons.
    std::stable_sort(tabbed.begin(), tabbed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<forms::Control *> chain;
    for (const auto &t : tabbed)
        chain.append(t.second);
    form.setTabOrder(chain + buttons);
}

} // namespace

void buildMainForm(forms::Form &form)
{
    build(form, kMainForm, kMainFormWidth, kMainFormHeight);
    // One question-page frame per page a section may hold; empty, small
    // until a page fills them.
    for (int i = 1; i <= model::kMaxQuestionPages; ++i) {
        forms::Control *f = form.createDesign(Kind::Frame, names::frmPages, i);
        f->resize(1815, 1215);
        f->setVisible(false);
    }
    form.control(names::optOnline)->setValue(1);
    // The window opens on the region-and-language screen: the page frames,
    // the page-only buttons, the title picture and the unused first element
    // of the answer-list family are hidden until a screen shows them.
    for (forms::Control *c : form.controls())
        if (c->kind() == Kind::Frame)
            c->setVisible(false);
    for (QLatin1String name :
         {names::cmdPrev, names::cmdSubmit, names::imgWelcomeTitle, names::answerFamily})
        form.control(name)->setVisible(false);
    form.window()->setWindowTitle(QStringLiteral("Velmora Product Register"));
    // The region and language lists offer their entries only; a typed country
    // goes into the country field after "Other".
    for (QLatin1String name : {names::cmbCountry, names::cmbLanguage})
        form.control(name)->setEditable(false);
}

void buildCancelDialog(forms::Form &form)
{
    build(form, kCancelDialog, kCancelDialogWidth, kCancelDialogHeight);
    form.control(names::optTomorrow)->setValue(1);
    form.window()->setWindowTitle(QString());
}

void buildErrorDialog(forms::Form &form)
{
    build(form, kErrorDialog, kErrorDialogWidth, kErrorDialogHeight);
    form.window()->setWindowTitle(QStringLiteral("Attention"));
}

} // namespace layouts
