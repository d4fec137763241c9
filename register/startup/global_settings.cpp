#include "register/startup/global_settings.h"

#include "platform/forms/form.h"
#include "register/core/skin.h"
#include "register/core/wizard_state.h"
#include "register/startup/config_values.h"
#include "register/startup/language.h"
#include "register/startup/personal_fields.h"

#include <cmath>

using config::applyNumber;

namespace {

constexpr int kMaxPages = 20;

// Caption, position, size and colours of one fixed control from an element.
// Answers the element, so that its place in the window can be checked.
xml::Node applyTextElement(const core::ConfigReader &reader, const WizardState &state,
                           const char *path, forms::Control *c, bool lineBreaks, bool backColour)
{
    const xml::Node node = reader.require(
        QLatin1String(path), QStringLiteral("the control keeps its earlier text and place"));
    // Without its element a control keeps everything, its colours included:
    // only an element that is there but lacks a colour attribute falls back
    // to the default colours.
    if (!node)
        return node;
    applyNumber(reader, node, "x", [c](int v) { c->setLeft(v); });
    applyNumber(reader, node, "y", [c](int v) { c->setTop(v); });
    applyNumber(reader, node, "width", [c](int v) { c->setWidth(v); });
    applyNumber(reader, node, "height", [c](int v) { c->setHeight(v); });
    config::applyForeColor(reader, c, node, state.defaultForeColor);
    if (backColour)
        config::applyBackColor(reader, c, node, state.defaultBackColor);
    if (const auto src = node.attribute(QStringLiteral("src")))
        c->setText(lineBreaks ? graveToLineBreaks(*src) : *src);
    return node;
}

void loadPicture(const core::ConfigReader &reader, const WizardState &state, const xml::Node &node,
                 const char *attribute, QPixmap &target)
{
    const auto name = node.attribute(QLatin1String(attribute));
    if (!name)
        return;
    const QPixmap picture = languagePicture(state, *name);
    if (!picture.isNull())
        target = picture;
    else if (languageHasPictures(state))
        reader.report(node, {attribute},
                      QStringLiteral("\"%1\" is not among the pictures of %2")
                          .arg(*name, state.currentLanguage.trimmed().toLower()),
                      target.isNull() ? QStringLiteral("the title stays empty")
                                      : QStringLiteral("the earlier title picture stays"));
}

void loadPageMarkup(const core::ConfigReader &reader, WizardState &state)
{
    const QList<xml::Node> pages = state.languageDoc.selectNodes(QStringLiteral("//page"));
    if (pages.size() > kMaxPages) {
        reader.report(pages[kMaxPages], {},
                      QStringLiteral("is page %1 of %2; a section holds at most %3 pages")
                          .arg(kMaxPages + 1)
                          .arg(pages.size())
                          .arg(kMaxPages),
                      QStringLiteral("this page and every later one are left out"));
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
    const core::ConfigReader reader = sectionReader(state);
    checkLanguageSection(state);
    const xml::Node section = state.languageDoc.documentElement();
    auto ctl = [&mainForm](const char *name, int index = -1) {
        return mainForm.control(QLatin1String(name), index);
    };

    // 1. The section element: window size and caption, background, colours.
    applyNumber(reader, section, "width", [&](int v) { mainForm.setWidth(v); });
    applyNumber(reader, section, "height", [&](int v) { mainForm.setHeight(v); });
    if (const auto title = section.attribute(QStringLiteral("title"))) {
        mainForm.setCaption(*title);
        cancelForm.setCaption(*title);
    }
    const QPixmap back = languagePicture(state, QStringLiteral("back"));
    if (!back.isNull())
        ctl("imgBack")->setPicture(back);
    if (const auto colour =
            reader.colour(section, "forecolor", QStringLiteral("the default text colour stays")))
        state.defaultForeColor = *colour;
    if (const auto colour = reader.colour(section, "backcolor",
                                          QStringLiteral("the default background colour stays")))
        state.defaultBackColor = *colour;

    // 2. Prompt and message texts, taken whole. All but onlineonly are texts
    // the player must see; onlineonly may be left out (false).
    auto text = [&reader](const char *element) -> std::optional<QString> {
        const QString path = QStringLiteral("//") + QLatin1String(element);
        const xml::Node n = qstrcmp(element, "onlineonly") == 0
                                ? reader.select(path)
                                : reader.require(path, QStringLiteral("the earlier text stays"));
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
    loadPageMarkup(reader, state);

    // 4. The texts of the fixed screens, each checked against the window.
    struct Fixed {
        const char *path;
        forms::Control *control;
        bool lineBreaks, backColour;
    };
    const Fixed fixed[] = {
        {"//methodpage/text", ctl("lblMethod"), true, false},
        {"//methodpage/online", ctl("optOnline"), false, true},
        {"//methodpage/print", ctl("optPrint"), false, true},
        {"//errorpage/text_not_online", ctl("lblError", 1), true, false},
        {"//errorpage/text_error", ctl("lblError", 2), true, false},
        {"//thanksfax", ctl("lblThanksPrint"), true, false},
        {"//thanksonline", ctl("lblThanksOnline"), true, false},
    };
    QList<std::pair<xml::Node, forms::Control *>> placed;
    for (const Fixed &f : fixed)
        if (const xml::Node node =
                applyTextElement(reader, state, f.path, f.control, f.lineBreaks, f.backColour))
            placed.append({node, f.control});
    if (const auto t = text("dataerror"))
        state.dataErrorText = *t;

    // 5. The personal-information fields.
    LoadPersonalFields(mainForm, state);

    // 6. Title pictures.
    const xml::Node welcomePic = reader.require(
        QStringLiteral("//welcomepic"), QStringLiteral("the title keeps its earlier picture"));
    loadPicture(reader, state, welcomePic, "src", state.welcomeTitlePicture);
    loadPicture(reader, state, welcomePic, "src2", state.pageTitlePicture);
    forms::Control *title = ctl("imgWelcomeTitle");
    title->setPicture(state.welcomeTitlePicture);
    applyNumber(reader, welcomePic, "x", [title](int v) { title->setLeft(v); });
    applyNumber(reader, welcomePic, "y", [title](int v) { title->setTop(v); });
    if (!state.welcomeTitlePicture.isNull())
        title->resize(forms::pixelsToTwips(state.welcomeTitlePicture.width()),
                      forms::pixelsToTwips(state.welcomeTitlePicture.height()));
    if (welcomePic && !state.welcomeTitlePicture.isNull())
        placed.append({welcomePic, title});

    // 7. The picture buttons. The names come first: a button without a
    // picture shows its name.
    for (const auto &role : kButtonRoles)
        ctl(role[0])->widget()->setAccessibleName(QLatin1String(role[1]));
    for (const ButtonSpec &b : kButtons) {
        ButtonPictures &pictures = state.*(b.pictures);
        loadButtonPictures(state, QLatin1String(b.element), pictures);
        showButtonPicture(ctl(b.control), pictures.normal);
    }

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

    // 9. Whatever the section placed where the window cannot show it.
    core::Placement placement(reader, QSize(width, height), QStringLiteral("window"));
    for (const auto &[node, control] : placed)
        placement.add(node, {"x", "y"},
                      QRect(control->left(), control->top(), control->width(), control->height()),
                      false);
    placement.check();
}
