#include "register/layouts/layouts.h"

#include "platform/forms/form.h"

#include <QComboBox>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace layouts {

namespace {

using forms::Kind;

constexpr int kNoTab = -1;

struct ControlSpec {
    const char *container; // nullptr: the window itself
    int containerIndex;
    const char *name;
    int index; // -1: not part of a control array
    Kind kind;
    int left, top, width, height;
    const char *text;
    int tabIndex;
    bool autoSize;
};

// In the window's control-collection order: the order the rules walk.
const ControlSpec kMainForm[] = {
    {nullptr, -1, "frmWelcome", -1, Kind::Frame, 7560, 960, 1815, 4095, "", 57, false},
    {nullptr, -1, "frmPages", 0, Kind::Frame, 840, 360, 5775, 2175, "", 33, false},
    {nullptr, -1, "frmMethod", -1, Kind::Frame, 1680, 4560, 1815, 855, "", 22, false},
    {nullptr, -1, "frmThanksPrint", -1, Kind::Frame, 3840, 3720, 1815, 1575, "", 26, false},
    {nullptr, -1, "frmThanksOnline", -1, Kind::Frame, 0, 2880, 1815, 1575, "", 28, false},
    {nullptr, -1, "frmError", -1, Kind::Frame, 360, 4680, 1935, 1215, "", 30, false},
    // The personal-information page.
    {"frmPages", 0, "lblFirstName", -1, Kind::Label, 240, 240, 975, 495, "Label2", 34, false},
    {"frmPages", 0, "txtFirstName", -1, Kind::TextBox, 1320, 120, 735, 375, "", 35, false},
    {"frmPages", 0, "lblLastName", -1, Kind::Label, 120, 720, 975, 495, "Label2", 36, false},
    {"frmPages", 0, "txtLastName", -1, Kind::TextBox, 1200, 600, 735, 375, "", 37, false},
    {"frmPages", 0, "lblAddress1", -1, Kind::Label, 360, 1560, 1455, 375, "Label2", 38, false},
    {"frmPages", 0, "txtAddress1", -1, Kind::TextBox, 2520, 1080, 1215, 375, "", 39, false},
    {"frmPages", 0, "lblAddress2", -1, Kind::Label, 1920, 1440, 495, 855, "Label2", 40, false},
    {"frmPages", 0, "txtAddress2", -1, Kind::TextBox, 3360, 360, 1095, 375, "", 41, false},
    {"frmPages", 0, "lblCity", -1, Kind::Label, 600, 1920, 615, 255, "sda", 42, false},
    {"frmPages", 0, "txtCity", -1, Kind::TextBox, 2280, 1920, 1455, 375, "", 43, false},
    {"frmPages", 0, "cmbCity", -1, Kind::ComboBox, 4800, 360, 1335, 315, "", 44, false},
    {"frmPages", 0, "txtState", -1, Kind::TextBox, 4200, 1560, 735, 285, "", 45, false},
    {"frmPages", 0, "cmbState", -1, Kind::ComboBox, 5280, 1560, 1215, 315, "", 46, false},
    {"frmPages", 0, "txtZip", -1, Kind::TextBox, 6720, 1920, 975, 375, "", 47, false},
    {"frmPages", 0, "txtPhone", -1, Kind::TextBox, 5760, 1080, 1455, 285, "", 48, false},
    {"frmPages", 0, "txtEmail", -1, Kind::TextBox, 1080, 1080, 975, 375, "", 49, false},
    {"frmPages", 0, "txtLogin", -1, Kind::TextBox, 4560, 840, 375, 285, "", 50, false},
    {"frmPages", 0, "lblState", -1, Kind::Label, 480, 2760, 1575, 255, "Label2", 51, false},
    {"frmPages", 0, "lblCountry", -1, Kind::Label, 480, 3360, 1095, 135, "Label2", 52, false},
    {"frmPages", 0, "lblPhone", -1, Kind::Label, 2160, 2760, 615, 255, "Label2", 53, false},
    {"frmPages", 0, "lblEmail", -1, Kind::Label, 1680, 3120, 495, 495, "Label2", 54, false},
    {"frmPages", 0, "lblZip", -1, Kind::Label, 4320, 2040, 495, 375, "Label2", 55, false},
    {"frmPages", 0, "lblLogin", -1, Kind::Label, 1080, 2280, 1335, 375, "Label2", 56, false},
    {"frmPages", 0, "txtCountry", -1, Kind::TextBox, 4920, 2640, 855, 375, "Text1", 60, false},
    // The method page.
    {"frmMethod", -1, "lblMethod", -1, Kind::Label, 0, 240, 1320, 195, "Label2", 23, true},
    {"frmMethod", -1, "optOnline", -1, Kind::OptionButton, 360, 600, 1335, 495, "Option1", 24,
     false},
    {"frmMethod", -1, "optPrint", -1, Kind::OptionButton, 360, 1320, 1335, 375, "Option1", 25,
     false},
    {"frmMethod", -1, "cmdOk", -1, Kind::PictureButton, 240, 240, 1095, 255, "", kNoTab, false},
    // The thanks pages.
    {"frmThanksPrint", -1, "lblThanksPrint", -1, Kind::Label, 120, 360, 1320, 195, "Label2", 27,
     true},
    {"frmThanksPrint", -1, "cmdFinish", -1, Kind::PictureButton, 120, 0, 1095, 255, "", kNoTab,
     false},
    {"frmThanksOnline", -1, "lblThanksOnline", -1, Kind::Label, 0, 0, 1320, 195, "Label2", 29,
     true},
    {"frmThanksOnline", -1, "Text1", -1, Kind::TextBox, 240, 960, 855, 285, "Text1", 61, false},
    // The online-error page.
    {"frmError", -1, "lblError", 1, Kind::Label, 1680, 240, 1320, 195, "Label2", 31, true},
    {"frmError", -1, "lblError", 2, Kind::Label, 840, 600, 1320, 195, "Label2", 32, true},
    {"frmError", -1, "cmdExit", -1, Kind::PictureButton, 3240, 1440, 1095, 255, "", kNoTab, false},
    {"frmError", -1, "cmdRetry", -1, Kind::PictureButton, 5040, 1440, 1095, 255, "", kNoTab, false},
    // The region-and-language screen and the shared controls.
    {nullptr, -1, "lblLanguage", -1, Kind::Label, 840, 2400, 2895, 195,
     "Please choose your region and language", 21, true},
    {nullptr, -1, "cmbCountry", -1, Kind::ComboBox, 4560, 2370, 2655, 315, "", 20, false},
    {nullptr, -1, "cmbLanguage", -1, Kind::ComboBox, 4560, 2880, 2655, 315, "", 58, false},
    {nullptr, -1, "imgWelcomeTitle", -1, Kind::Image, 7680, 3000, 375, 255, "", kNoTab, false},
    {nullptr, -1, "imgBack", -1, Kind::Image, 828, 4920, 495, 615, "", kNoTab, false},
    {nullptr, -1, "cmdCancel", -1, Kind::PictureButton, 3360, 5280, 1095, 255, "", kNoTab, false},
    {nullptr, -1, "cmdPrev", -1, Kind::PictureButton, 4680, 5280, 1095, 255, "", kNoTab, false},
    {nullptr, -1, "cmdNext", -1, Kind::PictureButton, 5880, 5280, 1095, 255, "", kNoTab, false},
    {nullptr, -1, "cmdSubmit", -1, Kind::PictureButton, 7080, 5280, 1095, 255, "", kNoTab, false},
    {nullptr, -1, "page_spe_cmb_Answer", 0, Kind::ComboBox, 5400, 6360, 2295, 315, "", 59, false},
};

const ControlSpec kCancelDialog[] = {
    {nullptr, -1, "optLater", -1, Kind::OptionButton, 240, 840, 1335, 375, "Option1", 0, false},
    {nullptr, -1, "optCancel", -1, Kind::OptionButton, 120, 1680, 1335, 495, "Option1", 1, false},
    {nullptr, -1, "txtDays", -1, Kind::TextBox, 1800, 480, 375, 285, "Text1", 2, false},
    {nullptr, -1, "lblLater", -1, Kind::Label, 3000, 480, 75, 195, "/", 3, true},
    {nullptr, -1, "lblCancel", -1, Kind::Label, 3720, 1200, 480, 195, "Label1", 4, true},
    {nullptr, -1, "optTomorrow", -1, Kind::OptionButton, 0, 0, 1335, 495, "optTomorrow", 5, false},
    {nullptr, -1, "cmdCancel", -1, Kind::PictureButton, 2520, 2640, 1215, 255, "", kNoTab, false},
    {nullptr, -1, "cmdQuit", -1, Kind::PictureButton, 4320, 2640, 1095, 255, "", kNoTab, false},
};

const ControlSpec kErrorDialog[] = {
    {nullptr, -1, "lblError", -1, Kind::Label, 1320, 120, 480, 195, "Label1", 0, true},
    {nullptr, -1, "cmdCancel", -1, Kind::PictureButton, 1200, 1200, 1215, 255, "", kNoTab, false},
    {nullptr, -1, "cmdQuit", -1, Kind::PictureButton, 3000, 1200, 1095, 255, "", kNoTab, false},
};

template <std::size_t N>
void build(forms::Form &form, const ControlSpec (&specs)[N], int width, int height)
{
    form.setWidth(width);
    form.setHeight(height);
    std::vector<std::pair<int, forms::Control *>> tabbed;
    std::vector<forms::Control *> buttons;
    for (const ControlSpec &s : specs) {
        forms::Control *container =
            s.container ? form.control(QString::fromLatin1(s.container), s.containerIndex)
                        : nullptr;
        forms::Control *c =
            form.createDesign(s.kind, QString::fromLatin1(s.name), s.index, container);
        c->move(s.left, s.top);
        c->resize(s.width, s.height);
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
    QWidget *previous = nullptr;
    auto chain = [&previous](forms::Control *c) {
        if (c->widget()->focusPolicy() == Qt::NoFocus)
            return;
        if (previous)
            QWidget::setTabOrder(previous, c->widget());
        previous = c->widget();
    };
    for (const auto &t : tabbed)
        chain(t.second);
    for (forms::Control *b : buttons)
        chain(b);
}

} // namespace

void buildMainForm(forms::Form &form)
{
    build(form, kMainForm, kMainFormWidth, kMainFormHeight);
    // Twenty further question-page frames; empty, small until a page fills them.
    for (int i = 1; i <= 20; ++i) {
        forms::Control *f = form.createDesign(Kind::Frame, QStringLiteral("frmPages"), i);
        f->resize(1815, 1215);
        f->setVisible(false);
    }
    form.control(QStringLiteral("optOnline"))->setValue(1);
    // The window opens on the region-and-language screen: the page frames,
    // the page-only buttons, the title picture and the unused first element
    // of the answer-list family are hidden until a screen shows them.
    for (forms::Control *c : form.controls())
        if (c->kind() == Kind::Frame)
            c->setVisible(false);
    for (const char *name : {"cmdPrev", "cmdSubmit", "imgWelcomeTitle", "page_spe_cmb_Answer"})
        form.control(QString::fromLatin1(name))->setVisible(false);
    form.window()->setWindowTitle(QStringLiteral("Velmora Product Register"));
    // The region and language lists offer their entries only; a typed country
    // goes into the country field after "Other".
    for (const char *name : {"cmbCountry", "cmbLanguage"}) {
        auto *c = form.control(QString::fromLatin1(name));
        if (auto *combo = qobject_cast<QComboBox *>(c->widget()))
            combo->setEditable(false);
    }
}

void buildCancelDialog(forms::Form &form)
{
    build(form, kCancelDialog, kCancelDialogWidth, kCancelDialogHeight);
    form.control(QStringLiteral("optTomorrow"))->setValue(1);
    form.window()->setWindowTitle(QString());
}

void buildErrorDialog(forms::Form &form)
{
    build(form, kErrorDialog, kErrorDialogWidth, kErrorDialogHeight);
    form.window()->setWindowTitle(QStringLiteral("Attention"));
}

} // namespace layouts
