#include "register/startup/global_settings.h"

#include "register/core/control_names.h"

#include "platform/forms/colours.h"
#include "platform/forms/form.h"
#include "platform/pictures/pictures.h"
#include "register/core/skin.h"
#include "register/core/spoken_words.h"
#include "register/core/wizard_state.h"
#include "register/model/configuration.h"
#include "register/startup/config_values.h"
#include "register/startup/language.h"
#include "register/startup/personal_fields.h"

#include <QPointer>

#include <cmath>

using config::applyNumber;

namespace {

// Caption, position, size and colours of one fixed control from an element.
// Answers the element, so that its place in the window can be checked.
xml::Node applyTextElement(const model::ConfigReader &reader, const WizardState &state,
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

// The title pictures are decoded when first shown: the page title waits for
// the first page.
void loadPicture(const model::ConfigReader &reader, const WizardState &state, const xml::Node &node,
                 const char *attribute, pictures::LazyPicture &target)
{
    const auto name = node.attribute(QLatin1String(attribute));
    if (!name)
        return;
    const FoundPicture found = findLanguagePicture(state, *name);
    const pictures::LazyPicture picture = lazyPicture(found);
    if (!picture.isNull())
        target = picture;
    else if (languageHasPictures(state))
        reader.report(node, {attribute}, pictureProblem(state, *name, found),
                      target.isNull() ? QStringLiteral("the title stays empty")
                                      : QStringLiteral("the earlier title picture stays"));
}

// The pages as the model reads them; their objects' problems are reported
// when the pages are built.
void loadPages(const model::ConfigReader &reader, model::LanguageSection &section,
               WizardState &state)
{
    model::readPages(reader, section);
    state.pageCount = std::int16_t(section.pages.size());
    state.pages = QList<model::PageDefinition>(model::kMaxQuestionPages + 1);
    state.pages[0] = std::move(section.personalObjects);
    for (model::QuestionPage &page : section.pages)
        state.pages[page.number] = std::move(page.definition);
    state.welcomePage = std::move(section.welcome);
}

struct ButtonSpec {
    const char *element;
    QLatin1String control;
    ButtonPictures WizardState::*pictures;
};

const ButtonSpec kButtons[] = {
    {"cancel", names::cmdCancel, &WizardState::cancelPictures},
    {"prev", names::cmdPrev, &WizardState::prevPictures},
    {"next", names::cmdNext, &WizardState::nextPictures},
    {"ok", names::cmdOk, &WizardState::okPictures},
    {"submit", names::cmdSubmit, &WizardState::submitPictures},
    {"finish", names::cmdFinish, &WizardState::finishPictures},
    {"retry", names::cmdRetry, &WizardState::retryPictures},
    {"exit", names::cmdExit, &WizardState::exitPictures},
};

int roundTwips(double v)
{
    return int(std::nearbyint(v));
}

// What the section places on the window, each with the element that placed
// it, for the check of where it stands.
using PlacedControls = QList<std::pair<xml::Node, forms::Control *>>;

// The section element: window size and caption, background, colours.
void applyWindow(const model::ConfigReader &reader, model::LanguageSection &section,
                 forms::Form &mainForm, forms::Form &cancelForm, WizardState &state)
{
    model::readWindow(reader, section);
    if (section.width)
        mainForm.setWidth(*section.width);
    if (section.height)
        mainForm.setHeight(*section.height);
    if (section.title) {
        mainForm.setCaption(*section.title);
        cancelForm.setCaption(*section.title);
    }
    // Nothing of the pictures of a section read before stays: a section
    // without pictures shows plain buttons on its own colour, as it does when
    // it is the first one read.
    forgetLanguagePictures(state);
    mainForm.control(names::imgBack)->setPicture(languagePicture(state, QStringLiteral("back")));
    // A colour that does not convert leaves the default as it was.
    if (section.fore.value)
        state.defaultForeColor = forms::colourFromBgr(section.fore.value->bgr);
    if (section.back.value)
        state.defaultBackColor = forms::colourFromBgr(section.back.value->bgr);
}

// The region screen's prompt and the messages of the region and language
// checks and of the connection. A text that is missing leaves the earlier one.
void applyPrompts(const model::ConfigReader &reader, model::LanguageSection &section,
                  forms::Form &mainForm, WizardState &state)
{
    model::readPrompts(reader, section);
    auto ctl = [&mainForm](QLatin1String name) { return mainForm.control(name); };
    if (section.selectLanguage.present)
        ctl(names::lblLanguage)->setText(section.selectLanguage.text);
    // The two lists share the prompt; a screen reader tells them apart by a
    // word, and would otherwise name each list by the entry it shows.
    const QString prompt = ctl(names::lblLanguage)->text();
    ctl(names::cmbCountry)
        ->setAccessibleName(words::captionWithWord(
            prompt, words::spokenWord(state.currentLanguage, QStringLiteral("country"))));
    ctl(names::cmbLanguage)
        ->setAccessibleName(words::captionWithWord(
            prompt, words::spokenWord(state.currentLanguage, QStringLiteral("language"))));
    if (section.errorLanguage.present)
        state.languageErrorText = section.errorLanguage.text;
    if (section.errorRegion.present)
        state.regionErrorText = section.errorRegion.text;
    if (section.onlineOnly.present)
        state.onlineOnly = section.onlineOnly.text == QLatin1String("1");
    if (section.connectToServer.present)
        state.connectToServerText = section.connectToServer.text;
}

// The texts of the fixed screens, each to be checked against the window,
// and the data-error message.
PlacedControls applyFixedScreens(const model::ConfigReader &reader, model::LanguageSection &section,
                                 forms::Form &mainForm, WizardState &state)
{
    auto ctl = [&mainForm](QLatin1String name, int index = -1) {
        return mainForm.control(name, index);
    };
    struct Fixed {
        const char *path;
        forms::Control *control;
        bool lineBreaks, backColour;
    };
    const Fixed fixed[] = {
        {"//methodpage/text", ctl(names::lblMethod), true, false},
        {"//methodpage/online", ctl(names::optOnline), false, true},
        {"//methodpage/print", ctl(names::optPrint), false, true},
        {"//errorpage/text_not_online", ctl(names::lblError, 1), true, false},
        {"//errorpage/text_error", ctl(names::lblError, 2), true, false},
        {"//thanksfax", ctl(names::lblThanksPrint), true, false},
        {"//thanksonline", ctl(names::lblThanksOnline), true, false},
    };
    PlacedControls placed;
    for (const Fixed &f : fixed)
        if (const xml::Node node =
                applyTextElement(reader, state, f.path, f.control, f.lineBreaks, f.backColour))
            placed.append({node, f.control});
    model::readDataError(reader, section);
    if (section.dataError.present)
        state.dataErrorText = section.dataError.text;
    return placed;
}

// The title pictures; the welcome title is placed on the window.
void applyTitlePictures(const model::ConfigReader &reader, forms::Form &mainForm,
                        WizardState &state, PlacedControls &placed)
{
    const xml::Node welcomePic = reader.require(
        QStringLiteral("//welcomepic"), QStringLiteral("the title keeps its earlier picture"));
    loadPicture(reader, state, welcomePic, "src", state.welcomeTitlePicture);
    loadPicture(reader, state, welcomePic, "src2", state.pageTitlePicture);
    forms::Control *title = mainForm.control(names::imgWelcomeTitle);
    title->setPicture(state.welcomeTitlePicture);
    applyNumber(reader, welcomePic, "x", [title](int v) { title->setLeft(v); });
    applyNumber(reader, welcomePic, "y", [title](int v) { title->setTop(v); });
    if (!state.welcomeTitlePicture.isNull())
        title->resize(forms::pixelsToTwips(state.welcomeTitlePicture.pixmap().width()),
                      forms::pixelsToTwips(state.welcomeTitlePicture.pixmap().height()));
    if (welcomePic && !state.welcomeTitlePicture.isNull())
        placed.append({welcomePic, title});
}

// The picture buttons, named by the word their picture shows.
void applyButtonPictures(forms::Form &mainForm, WizardState &state)
{
    for (const ButtonSpec &b : kButtons) {
        ButtonPictures &pictures = state.*(b.pictures);
        loadButtonPictures(state, QLatin1String(b.element), pictures);
        showButtonPicture(mainForm.control(b.control), pictures);
    }
}

// The bottom row, spaced by the window's width.
void placeBottomRow(forms::Form &mainForm, WizardState &state)
{
    auto ctl = [&mainForm](QLatin1String name) { return mainForm.control(name); };
    const int width = mainForm.width();
    const int height = mainForm.height();
    const int cancelWidth = ctl(names::cmdCancel)->width();
    state.buttonGap = float((width - 3.0 * cancelWidth) / 4.0);
    for (QLatin1String name :
         {names::cmdCancel, names::cmdSubmit, names::cmdPrev, names::cmdNext, names::cmdFinish})
        ctl(name)->setTop(height - 1000);
    for (QLatin1String name : {names::cmdSubmit, names::cmdNext, names::cmdPrev})
        ctl(name)->setLeft(roundTwips(width - state.buttonGap - cancelWidth));
    ctl(names::cmdCancel)->setLeft(roundTwips(state.buttonGap));
    ctl(names::cmdFinish)->setLeft(roundTwips(width - state.buttonGap - cancelWidth));
}

// Whatever the section placed where the window cannot show it. A label's
// size is that of its caption, which the window lays out only when it is
// shown (the fonts are not loaded before): the check waits for it. What else
// it looks at is taken now.
void checkPlacementWhenShown(const model::ConfigReader &reader, const forms::Form &mainForm,
                             WizardState &state, const PlacedControls &placed)
{
    struct Placed {
        xml::Node node;
        QRect rect;
        QPointer<forms::Control> label;
    };
    QList<Placed> entries;
    for (const auto &[node, control] : placed) {
        const bool label = control->kind() == forms::Kind::Label;
        entries.append({node,
                        QRect(control->left(), control->top(), label ? 0 : control->width(),
                              label ? 0 : control->height()),
                        label ? control : nullptr});
    }
    // The section is replaced only after what waits has run; a caller that
    // replaces it another way drops the check rather than read freed nodes.
    state.problems.addWaitingCheck([reader, entries,
                                    size = QSize(mainForm.width(), mainForm.height()),
                                    generation = reader.document().generation()] {
        if (reader.document().generation() != generation)
            return;
        model::Placement placement(reader, size, QStringLiteral("window"));
        for (const Placed &e : entries) {
            QRect rect = e.rect;
            if (e.label)
                rect.setSize(QSize(e.label->width(), e.label->height()));
            placement.add(e.node, {"x", "y"}, rect, false);
        }
        placement.check();
    });
}

} // namespace

void LoadGlobalSetting(forms::Form &mainForm, forms::Form &cancelForm, WizardState &state)
{
    // A check still waiting looks at the controls this is about to set.
    state.problems.runWaitingChecks();
    const model::ConfigReader reader = sectionReader(state);
    checkLanguageSection(state);
    // The section as the configuration model reads it, part by part in the
    // order the window takes them, so that problems are reported in that
    // order; the fixed screens' placed texts, personal fields, pictures and
    // buttons are still read here from the section's elements.
    model::LanguageSection section;
    applyWindow(reader, section, mainForm, cancelForm, state);
    applyPrompts(reader, section, mainForm, state);
    loadPages(reader, section, state);
    PlacedControls placed = applyFixedScreens(reader, section, mainForm, state);
    LoadPersonalFields(mainForm, state);
    applyTitlePictures(reader, mainForm, state, placed);
    applyButtonPictures(mainForm, state);
    placeBottomRow(mainForm, state);
    checkPlacementWhenShown(reader, mainForm, state, placed);
}
