// The region screen's country list: its entries, the default selection, and
// what a country choice does to the language list and the country field.
#include "register/validation/country_list.h"
#include "register/wizard/main_form.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

const QString kConfig = QStringLiteral(R"(<register>
  <use_default>0</use_default><default_language>English</default_language>
  <default_country/><default_gamename>Game</default_gamename><default_url>http://x/</default_url>
  <country src="Spain|Mexico|Germany|Austria|France|Netherlands|Italy|Nicaragua|Canada"/>
  <language id="english" country="else"/>
  <language id="german" country="else"/>
  <language id="french" country="else"/>
  <language id="spanish" country="else"/>
  <language id="dutch" country="else"/>
  <language id="italian" country="else"/>
</register>)");

class CountryList : public ::testing::Test {
  protected:
    void SetUp() override
    {
        testsupport::writeFile(dir.path(), "config.xml", kConfig);
        w.Form_Load();
    }
    QStringList entries(const char *list)
    {
        QStringList out;
        for (int i = 0; i < w.ctl(list)->itemCount(); ++i)
            out << w.ctl(list)->item(i);
        return out;
    }
    // As the player's choice: a selection fires cmbCountry_Click.
    void choose(const QString &country)
    {
        forms::Control *list = w.ctl("cmbCountry");
        const int i = int(entries("cmbCountry").indexOf(country));
        ASSERT_GE(i, 0) << country.toStdString();
        list->setListIndex(i);
    }
    QTemporaryDir dir;
    MainForm w{dir.path(), {}};
};

TEST_F(CountryList, ChoiceSetsLanguageAndCountryField)
{
    const struct {
        const char *country;
        const char *language;
        bool languageEnabled;
        bool countryFieldEnabled;
    } cases[] = {
        {"Germany", "German", false, false},
        {"Austria", "German", true, false}, // unlocks again after Germany
        {"France", "French", true, false},
        {"Spain", "Spanish", true, false},
        {"Nicaragua", "Spanish", true, false},
        {"Netherlands", "Dutch", true, false},
        {"Italy", "Italian", true, false},
        {"Canada", "English", true, false},
        {"Other", "English", true, true},
        {"Germany", "German", false, false},
        {"", "", true, false}, // the language list's first entry, the empty one
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.country);
        choose(c.country);
        EXPECT_EQ(w.ctl("cmbLanguage")->text(), c.language);
        EXPECT_EQ(w.ctl("cmbLanguage")->isEnabled(), c.languageEnabled);
        EXPECT_EQ(w.ctl("txtCountry")->text(), c.country);
        EXPECT_EQ(w.ctl("txtCountry")->isEnabled(), c.countryFieldEnabled);
        EXPECT_EQ(w.state().countryName, c.country);
    }
}

TEST_F(CountryList, EntriesAndDefaultSelection)
{
    WizardState &s = w.state();
    s.configDoc.loadXml(R"(<register><country src="Spain|Mexico"/></register>)");
    const struct {
        const char *current;
        const char *useDefault;
        const char *selected;
    } cases[] = {
        {" mexico ", "1", "Mexico"},
        {"Peru", "1", "Spain"},
        // Only blanks are trimmed: a tab or a non-breaking space stays.
        {"Mexico\t", "1", "Spain"},
        {"\u00a0Mexico", "1", "Spain"},
        {"Mexico", "0", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.current);
        w.ctl("cmbCountry")->setListIndex(-1);
        s.countryName = c.current;
        s.useDefault = c.useDefault;
        LoadCountry(w.form(), s);
        EXPECT_EQ(entries("cmbCountry"), QStringList({"", "Spain", "Mexico", "Other"}));
        EXPECT_EQ(w.ctl("cmbCountry")->text(), c.selected);
    }
}

TEST_F(CountryList, MissingCountryElementLeavesOther)
{
    WizardState &s = w.state();
    s.configDoc.loadXml("<register/>");
    s.useDefault = "1";
    LoadCountry(w.form(), s);
    EXPECT_EQ(entries("cmbCountry"), QStringList({"", "Other"}));
}

} // namespace
