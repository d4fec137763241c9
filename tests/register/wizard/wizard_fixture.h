#pragma once

// A main window started from a small configuration in a temporary folder.
// The section's window is 9000 twips wide and the buttons 1800 (120 pixels),
// so the gap between bottom buttons is 900 and the three slots start at 900,
// 3600 and 6300.

#include "register/dialogs/dlg_error.h"
#include "register/wizard/main_form.h"
#include "tests/register/dialogs/dialog_answers.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTemporaryDir>

namespace wizardtest {

inline constexpr int kSlot1 = 900;
inline constexpr int kSlot2 = 3600;
inline constexpr int kSlot3 = 6300;
inline constexpr int kWindowWidth = 9000;
inline constexpr int kWindowHeight = 6000;
inline constexpr int kButtonWidth = 1800;
inline constexpr int kButtonHeight = 300;

struct Setup {
    int pageCount = 2;
    bool onlineOnly = false;
    bool testMode = true; // nocheck.txt: every page passes validation
    // Personal fields: hidden unless a test needs one (then firstname, required).
    bool requiredFirstName = false;
    // Welcome page: a birth date with the age limit of the country.
    bool birthDate = false;
    // A French section beside the English one; its question labels say "Question française".
    bool french = false;
    // Every personal field shown as a text box captioned "<element> (<language id>)", and on
    // the personal page a birth date and a check box, each under the label of its id.
    bool personalFields = false;
};

inline QString configXml(const Setup &s, const QString &languageId = QStringLiteral("english"))
{
    QString pages;
    for (int i = 1; i <= s.pageCount; ++i)
        pages +=
            QStringLiteral(R"(<page>
            <object type="label" id="1" src="%2 %1" x="800" y="1500"/>
            <object type="text" id="2" src="" x="3600" y="1450" width="3000" height="330" maxlength="0" patten="" password="" optional="1"/>
            <object type="label" id="2" src="Answer %1" x="800" y="1100"/>
            <object type="label" id="3" src="Options" x="3600" y="2000"/>
            <object type="checkbox" id="3" src="a|b" x="800|800" y="2000|2400" width="2000" optional="1"/>
            </page>)")
                .arg(i)
                .arg(languageId == QLatin1String("french") ? QStringLiteral("Question française")
                                                           : QStringLiteral("Question"));
    QString personal;
    for (const char *field : {"firstname", "lastname", "address1", "address2", "zip", "phone",
                              "login", "email", "city", "state", "country"}) {
        const bool shown = s.personalFields || (s.requiredFirstName &&
                                                QLatin1String(field) == QLatin1String("firstname"));
        personal +=
            QStringLiteral(
                R"(<%1 visible="%2" type="text" src="%3" x1="600" y1="1760" width1="1600" height1="300" x2="2250" y2="1700" width2="2500" height2="330" maxlength="40" patten="" optional="0"/>)")
                .arg(QLatin1String(field), shown ? QStringLiteral("1") : QStringLiteral("0"),
                     s.personalFields
                         ? QStringLiteral("%1 (%2)").arg(QLatin1String(field), languageId)
                         : QLatin1String(field));
    }
    if (s.personalFields)
        personal += QStringLiteral(R"xml(
      <object type="label" id="2" src="Birth date (%1):" x="600" y="4000"/>
      <object type="date" id="2" src="d/m/y" text="D/M/Y" x="3000" y="4000" patten="" optional="1"/>
      <object type="label" id="3" src="News (%1)" x="600" y="4500"/>
      <object type="checkbox" id="3" src="Yes" x="3000" y="4500" width="2000" optional="1"/>)xml")
                        .arg(languageId);
    const QString welcome =
        s.birthDate
            ? QStringLiteral(
                  R"(<object type="date" id="0" src="d/m/y" text="Day/Month/Year" x="3800" y="3150" patten="13" optional="0"/>)")
            : QStringLiteral(
                  R"(<object type="text" id="0" src="" x="3800" y="3150" width="2000" height="330" maxlength="0" patten="" password="" optional="1"/>)");
    return QStringLiteral(R"(
  <language id="%5" country="else" width="9000" height="6000" title="Test" forecolor="000000" backcolor="FFFFFF">
    <selectlanguage>Region (%5)</selectlanguage>
    <errorlanguage>Choose a language</errorlanguage>
    <errorregion>Choose a region</errorregion>
    <onlineonly>%1</onlineonly>
    <connecttoserver>Connecting</connecttoserver>
    <dataerror>Wrong data</dataerror>
    <welcomepic src="WELCOMETITLE_1" src2="WELCOMETITLE_2" x="1732" y="250"/>
    <ok src="OK" srcover="OK_OVER"/>
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <prev src="PREVIOUS" srcover="PREVIOUS_OVER"/>
    <next src="NEXT" srcover="NEXT_OVER"/>
    <submit src="SUBMIT" srcover="SUBMIT_OVER"/>
    <finish src="FINISH" srcover="FINISH_OVER"/>
    <retry src="RETRY" srcover="RETRY_OVER"/>
    <exit src="EXIT" srcover="EXIT_OVER"/>
    <welcome>%2</welcome>
    <userinfo>
      <object type="label" id="1" src="About you" x="600" y="1250"/>
      %3
    </userinfo>
    %4
  </language>)")
        .arg(s.onlineOnly ? QStringLiteral("1") : QStringLiteral("0"), welcome, personal, pages,
             languageId);
}

inline QString configDocument(const Setup &s)
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<register>
  <use_default>0</use_default>
  <default_language>English</default_language>
  <default_country></default_country>
  <default_gamename>Test Game</default_gamename>
  <default_url>http://127.0.0.1:1/register.asp</default_url>
  <country src="Canada|Germany|United States"/>
  <age>
    <object country="United States" age="13" option="1" prompt="Ask a parent"/>
    <else age="13" option="0" prompt="Too young"/>
  </age>)") +
           configXml(s) + (s.french ? configXml(s, QStringLiteral("french")) : QString()) +
           QStringLiteral("\n</register>\n");
}

// What the message dialog showed when an action opened it.
struct ModalAnswer {
    bool seen = false;
    DlgError::Buttons buttons = DlgError::Buttons::Ok;
    QString text;
    // What a screen reader is told of the dialog.
    QAccessible::Role role = QAccessible::NoRole;
    QString description;
};

class WizardFixture {
  public:
    explicit WizardFixture(const Setup &setup = {})
    {
        testsupport::writeFile(m_dir.path(), QStringLiteral("config.xml"), configDocument(setup));
        if (setup.testMode)
            testsupport::writeFile(m_dir.path(), QStringLiteral("nocheck.txt"), QString());
        WizardServices services;
        services.endProgram = [this] { ++ended; };
        services.requestTimeoutMs = 3000;
        window = std::make_unique<MainForm>(m_dir.path(), QStringList{}, services);
        window->Form_Load();
    }
    ~WizardFixture()
    {
        if (window)
            window->close();
    }

    forms::Control *ctl(const QString &name, int index = -1) const
    {
        return window->ctl(name, index);
    }
    WizardState &state() const { return window->state(); }

    // Picks a country and a language on the region screen.
    void chooseRegion(const QString &country = QStringLiteral("Canada"),
                      const QString &language = QStringLiteral("English"))
    {
        forms::Control *countries = ctl(QStringLiteral("cmbCountry"));
        for (int i = 0; i < countries->itemCount(); ++i)
            if (countries->item(i) == country)
                countries->setListIndex(i);
        forms::Control *languages = ctl(QStringLiteral("cmbLanguage"));
        for (int i = 0; i < languages->itemCount(); ++i)
            if (languages->item(i) == language)
                languages->setListIndex(i);
    }

    // Runs an action that opens the message dialog and answers its first
    // message with OK or Cancel (any later one with OK).
    ModalAnswer answering(bool pressOk, const std::function<void()> &action)
    {
        testsupport::DialogAnswers answers(
            {pressOk ? DlgError::Answer::Ok : DlgError::Answer::Cancel});
        action();
        ModalAnswer answer;
        if (!answers.asked.empty()) {
            const auto &first = answers.asked.front();
            answer = {true, first.buttons, first.text, first.role, first.description};
        }
        return answer;
    }

    std::unique_ptr<MainForm> window;
    int ended = 0;

  private:
    QTemporaryDir m_dir;
};

} // namespace wizardtest
