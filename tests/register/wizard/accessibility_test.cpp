// What a screen reader is told of each control, read through Qt's
// accessibility interface: role and name per control of the region screen and
// the personal page, in the section's language, and the message dialog.
#include "wizard_fixture.h"

#include "platform/forms/picture_button.h"
#include "register/startup/language.h"

#include <QAccessible>

using namespace wizardtest;

namespace {

struct Spoken {
    const char *control;
    QAccessible::Role role;
    const char *name;
};

QAccessibleInterface *accessibleOf(WizardFixture &f, const char *control)
{
    forms::Control *c = f.ctl(QString::fromUtf8(control));
    return c ? QAccessible::queryAccessibleInterface(c->widget()) : nullptr;
}

void expectSpoken(WizardFixture &f, std::initializer_list<Spoken> rows)
{
    for (const Spoken &row : rows) {
        SCOPED_TRACE(row.control);
        QAccessibleInterface *a = accessibleOf(f, row.control);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), row.role);
        EXPECT_EQ(a->text(QAccessible::Name).toStdString(), row.name);
    }
}

void press(WizardFixture &f, const char *button)
{
    QAccessibleInterface *a = accessibleOf(f, button);
    ASSERT_TRUE(a && a->actionInterface());
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    // The press is carried out from the event loop.
    QCoreApplication::processEvents();
}

} // namespace

TEST(Accessibility, NamesFollowTheSectionLanguageOnTheRegionScreenAndThePersonalPage)
{
    WizardFixture f({.french = true, .personalFields = true});
    f.window->show();
    expectSpoken(f, {
                        {"cmdNext", QAccessible::Button, "Next"},
                        {"cmdCancel", QAccessible::Button, "Cancel"},
                        {"cmbCountry", QAccessible::ComboBox, "Region (english): Country"},
                        {"cmbLanguage", QAccessible::ComboBox, "Region (english): Language"},
                    });

    // French chosen, there and back: the region screen now speaks French.
    f.chooseRegion(QStringLiteral("Canada"), QStringLiteral("French"));
    press(f, "cmdNext");
    ASSERT_EQ(f.state().stage, Stage::Welcome);
    press(f, "cmdPrev");
    ASSERT_EQ(f.state().stage, Stage::RegionAndLanguage);
    expectSpoken(f, {
                        {"cmdNext", QAccessible::Button, "Suivant"},
                        {"cmdCancel", QAccessible::Button, "Annuler"},
                        {"cmbCountry", QAccessible::ComboBox, "Region (french): Pays"},
                        {"cmbLanguage", QAccessible::ComboBox, "Region (french): Langue"},
                    });
    // The entry a list shows is still told, apart from its name.
    EXPECT_EQ(accessibleOf(f, "cmbCountry")->text(QAccessible::Value).toStdString(), "Canada");
    EXPECT_EQ(accessibleOf(f, "cmbLanguage")->text(QAccessible::Description).toStdString(),
              "French");

    press(f, "cmdNext");
    press(f, "cmdNext");
    ASSERT_EQ(f.state().stage, Stage::Pages);
    expectSpoken(f, {
                        {"cmdCancel", QAccessible::Button, "Annuler"},
                        {"cmdPrev", QAccessible::Button, "Précédent"},
                        {"cmdNext", QAccessible::Button, "Suivant"},
                        {"txtFirstName", QAccessible::EditableText, "firstname (french)"},
                        {"txtLastName", QAccessible::EditableText, "lastname (french)"},
                        {"txtAddress1", QAccessible::EditableText, "address1 (french)"},
                        {"txtAddress2", QAccessible::EditableText, "address2 (french)"},
                        {"txtZip", QAccessible::EditableText, "zip (french)"},
                        {"txtPhone", QAccessible::EditableText, "phone (french)"},
                        {"txtLogin", QAccessible::EditableText, "login (french)"},
                        {"txtEmail", QAccessible::EditableText, "email (french)"},
                        {"txtCity", QAccessible::EditableText, "city (french)"},
                        {"txtState", QAccessible::EditableText, "state (french)"},
                        {"txtCountry", QAccessible::EditableText, "country (french)"},
                        {"page_0_dat_2d", QAccessible::ComboBox, "Birth date (french): Jour"},
                        {"page_0_dat_2m", QAccessible::ComboBox, "Birth date (french): Mois"},
                        {"page_0_dat_2y", QAccessible::ComboBox, "Birth date (french): Année"},
                        {"page_0_chk_3opt0", QAccessible::CheckBox, "Yes"},
                    });
    EXPECT_EQ(accessibleOf(f, "page_0_chk_3opt0")->text(QAccessible::Description),
              QStringLiteral("News (french)"));
    f.window->close();
}

TEST(Accessibility, QuestionInputsAreNamedByTheLabelOfTheirId)
{
    WizardFixture f({.pageCount = 1});
    f.chooseRegion();
    f.window->cmdNext_Click();
    // The text box's label follows it in the page; the check boxes keep
    // their captions and are told the question.
    expectSpoken(f, {
                        {"page_1_txt_2", QAccessible::EditableText, "Answer 1"},
                        {"page_1_chk_3opt1", QAccessible::CheckBox, "b"},
                    });
    EXPECT_EQ(accessibleOf(f, "page_1_chk_3opt1")->text(QAccessible::Description),
              QStringLiteral("Options"));
}

TEST(Accessibility, TheMessageDialogIsAnAlertCarryingItsText)
{
    WizardFixture f;
    f.window->show();
    const ModalAnswer answer = f.answering(true, [&] { f.window->cmdNext_Click(); });
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(answer.role, QAccessible::AlertMessage);
    EXPECT_EQ(answer.description, QStringLiteral("Choose a region"));
    f.window->close();
}

TEST(Accessibility, APlainButtonShowsAndSpeaksTheWordOfTheSectionLanguage)
{
    WizardFixture f({.french = true});
    WizardState &state = f.state();
    state.currentLanguage = QStringLiteral("french");
    ButtonPictures pictures;
    // A picture the section names but the program lacks: the button is plain.
    state.languageDoc.loadXml(
        QStringLiteral(R"(<language id="french"><next src="NEXTT"/></language>)"));
    loadButtonPictures(state, QStringLiteral("next"), pictures);
    forms::Control *next = f.ctl(QStringLiteral("cmdNext"));
    showButtonPicture(next, pictures);
    EXPECT_FALSE(next->hasPicture());
    EXPECT_EQ(next->accessibleName(), QStringLiteral("Suivant"));
    EXPECT_EQ(static_cast<forms::PictureButton *>(next->widget())->plainCaption(),
              QStringLiteral("Suivant"));
}
