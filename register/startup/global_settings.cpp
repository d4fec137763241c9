#include "register/startup/global_settings.h"

#include "platform/forms/form.h"
#include "register/startup/config_values.h"
#include "register/startup/language.h"
#include "register/startup/personal_fields.h"
#include "register/wizard/wizard_state.h"

#include <cmath>
#include <cstdio>

using config::applyNumber;

QString graveToLineBreaks(QString text)
{
    text.replace(u'`', QLatin1String("\r\n"));
    return text;
}

namespace {

constexpr int kMaxPages = 20;

// Caption, position, size and colours of one fixed control from an element.
void applyTextElement(forms::Form &form, const WizardState &state, const char *path,
                      forms::Control *c, bool lineBreaks, bool backColour)
{
    const xml::Node node = state.languageDoc.selectSingleNode(QLatin1String(path));
    // Without its element a control keeps everything, its colours included:
    // only an element that is there but lacks a colour attribute falls back
    // to the default colours.
    if (!node)
        return;
    applyNumber(node, "x", [c](int v) { c->setLeft(v); });
    applyNumber(node, "y", [c](int v) { c->setTop(v); });
    applyNumber(node, "width", [c](int v) { c->setWidth(v); });
    applyNumber(node, "height", [c](int v) { c->setHeight(v); });
    config::applyForeColor(c, node, state.defaultForeColor);
    if (backColour)
        config::applyBackColor(c, node, state.defaultBackColor);
    if (const auto src = node.attribute(QStringLiteral("src")))
        c->setText(lineBreaks ? graveToLineBreaks(*src) : *src);
    Q_UNUSED(form);
}

void loadPicture(const WizardState &state, const xml::Node &node, const char *attribute,
                 QPixmap &target)
{
    const auto name = node.attribute(QLatin1String(attribute));
    if (!name)
        return;
    const QPixmap picture = languagePicture(state, *name);
    if (!picture.isNull())
        target = picture;
}

void loadPageMarkup(WizardState &state)
{
    const QList<xml::Node> pages = state.languageDoc.selectNodes(QStringLiteral("//page"));
    if (pages.size() > kMaxPages) {
        std::fprintf(stderr,
                     "config.xml: language section \"%s\" has %d <page> elements; only the "
                     "first %d are shown\n",
                     state.currentLanguage.toLocal8Bit().constData(), int(pages.size()), kMaxPages);
    }
    state.pageCount = std::int16_t(std::min<qsizetype>(pages.size(), kMaxPages));
    for (int i = 1; i <= state.pageCount; ++i)
        state.pageXml[i] = pages[i - 1].xml();

    QString personal = QStringLiteral("<page>");
    for (const xml::Node &o : state.languageDoc.selectNodes(QStringLiteral("//userinfo/object")))
        personal += o.xml();
    state.pageXml[0] = personal + QStringLiteral("</page>");

    QString welcome = QStringLiteral("<page>\r\n");
    for (const xml::Node &o : state.languageDoc.selectNodes(QStringLiteral("//welcome/object")))
        welcome += o.xml();
    state.welcomeXml = welcome + QStringLiteral("</page>");
}

struct ButtonSpec {
    const char *element;
    const char *control;
    ButtonPictures WizardState::*pictures;
};

const ButtonSpec kButtons[] = {
    {"cancel", "cmdCancel", &WizardState::cancelPictures},
    {"prev", "cmdPrev", &WizardState::prevPictures},
    {"next", "cmdNext", &WizardState::nextPictures},
    {"ok", "cmdOk", &WizardState::okPictures},
    {"submit", "cmdSubmit", &WizardState::submitPictures},
    {"finish", "cmdFinish", &WizardState::finishPictures},
    {"retry", "cmdRetry", &WizardState::retryPictures},
    {"exit", "cmdExit", &WizardState::exitPictures},
};

// Accessible names tell a screen reader what each picture button does.
const char *const kButtonRoles[][2] = {
    {"cmdCancel", "Cancel"}, {"cmdPrev", "Previous"}, {"cmdNext", "Next"},   {"cmdOk", "OK"},
    {"cmdSubmit", "Submit"}, {"cmdFinish", "Finish"}, {"cmdRetry", "Retry"}, {"cmdExit", "Exit"},
};

int roundTwips(double v)
{
    return int(std::nearbyint(v));
}

} // namespace

void LoadGlobalSetting(forms::Form &mainForm, forms::Form &cancelForm, WizardState &state)
{
    const xml::Node section = state.languageDoc.documentElement();
    auto ctl = [&mainForm](const char *name, int index = -1) {
        return mainForm.control(QLatin1String(name), index);
    };

    // 1. The section element: window size and caption, background, colours.
    applyNumber(section, "width", [&](int v) { mainForm.setWidth(v); });
    applyNumber(section, "height", [&](int v) { mainForm.setHeight(v); });
    if (const auto title = section.attribute(QStringLiteral("title"))) {
        mainForm.setCaption(*title);
        cancelForm.setCaption(*title);
    }
    const QPixmap back = languagePicture(state, QStringLiteral("back"));
    if (!back.isNull())
        ctl("imgBack")->setPicture(back);
    if (const auto c = section.attribute(QStringLiteral("forecolor")))
        if (const auto colour = forms::colourFromHex(*c))
            state.defaultForeColor = *colour;
    if (const auto c = section.attribute(QStringLiteral("backcolor")))
        if (const auto colour = forms::colourFromHex(*c))
            state.defaultBackColor = *colour;

    // 2. Prompt and message texts, taken whole.
    auto text = [&state](const char *element) -> std::optional<QString> {
        const xml::Node n =
            state.languageDoc.selectSingleNode(QStringLiteral("//") + QLatin1String(element));
        if (!n)
            return std::nullopt;
        return n.text();
    };
    if (const auto t = text("selectlanguage"))
        ctl("lblLanguage")->setText(*t);
    if (const auto t = text("errorlanguage"))
        state.languageErrorText = *t;
    if (const auto t = text("errorregion"))
        state.regionErrorText = *t;
    if (const auto t = text("onlineonly"))
        state.onlineOnly = *t == QLatin1String("1");
    if (const auto t = text("connecttoserver"))
        state.connectToServerText = *t;

    // 3. Page markup.
    loadPageMarkup(state);

    // 4. The texts of the fixed screens.
    applyTextElement(mainForm, state, "//methodpage/text", ctl("lblMethod"), true, false);
    applyTextElement(mainForm, state, "//methodpage/online", ctl("optOnline"), false, true);
    applyTextElement(mainForm, state, "//methodpage/print", ctl("optPrint"), false, true);
    applyTextElement(mainForm, state, "//errorpage/text_not_online", ctl("lblError", 1), true,
                     false);
    applyTextElement(mainForm, state, "//errorpage/text_error", ctl("lblError", 2), true, false);
    applyTextElement(mainForm, state, "//thanksfax", ctl("lblThanksPrint"), true, false);
    applyTextElement(mainForm, state, "//thanksonline", ctl("lblThanksOnline"), true, false);
    if (const auto t = text("dataerror"))
        state.dataErrorText = *t;

    // 5. The personal-information fields.
    LoadPersonalFields(mainForm, state);

    // 6. Title pictures.
    const xml::Node welcomePic = state.languageDoc.selectSingleNode(QStringLiteral("//welcomepic"));
    loadPicture(state, welcomePic, "src", state.welcomeTitlePicture);
    loadPicture(state, welcomePic, "src2", state.pageTitlePicture);
    forms::Control *title = ctl("imgWelcomeTitle");
    title->setPicture(state.welcomeTitlePicture);
    applyNumber(welcomePic, "x", [title](int v) { title->setLeft(v); });
    applyNumber(welcomePic, "y", [title](int v) { title->setTop(v); });
    if (!state.welcomeTitlePicture.isNull())
        title->resize(forms::pixelsToTwips(state.welcomeTitlePicture.width()),
                      forms::pixelsToTwips(state.welcomeTitlePicture.height()));

    // 7. The picture buttons.
    for (const ButtonSpec &b : kButtons) {
        const xml::Node node =
            state.languageDoc.selectSingleNode(QStringLiteral("//") + QLatin1String(b.element));
        ButtonPictures &pictures = state.*(b.pictures);
        loadPicture(state, node, "src", pictures.normal);
        loadPicture(state, node, "srcover", pictures.hover);
        ctl(b.control)->setPicture(pictures.normal);
    }
    for (const auto &role : kButtonRoles)
        ctl(role[0])->widget()->setAccessibleName(QLatin1String(role[1]));

    // 8. The bottom row.
    const int width = mainForm.width();
    const int height = mainForm.height();
    const int cancelWidth = ctl("cmdCancel")->width();
    state.buttonGap = float((width - 3.0 * cancelWidth) / 4.0);
    for (const char *name : {"cmdCancel", "cmdSubmit", "cmdPrev", "cmdNext", "cmdFinish"})
        ctl(name)->setTop(height - 1000);
    for (const char *name : {"cmdSubmit", "cmdNext", "cmdPrev"})
        ctl(name)->setLeft(roundTwips(width - state.buttonGap - cancelWidth));
    ctl("cmdCancel")->setLeft(roundTwips(state.buttonGap));
    ctl("cmdFinish")->setLeft(roundTwips(width - state.buttonGap - cancelWidth));
}
