#include "register/validation/country_list.h"

#include "register/core/control_names.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/model/config_reader.h"
#include "register/rules/countries.h"

using forms::trimBlanks; // blanks only: a tab or non-breaking space is part of the text

void LoadCountry(forms::Form &form, WizardState &state)
{
    forms::Control *list = form.control(names::cmbCountry);
    list->clearItems();
    list->addItem(QString());
    const model::ConfigReader reader(state.configDoc, state.problems);
    const QString instead = QStringLiteral("the country list offers \"Other\" only");
    const xml::Node node = reader.require(QStringLiteral("//country"), instead);
    const QString current = trimBlanks(state.countryName).toLower();
    int remembered = 0;
    const std::optional<QString> src = node ? reader.required(node, "src", instead) : std::nullopt;
    if (src) {
        const QStringList pieces = src->split(u'|');
        for (int i = 0; i < pieces.size(); ++i) {
            list->addItem(pieces[i]);
            if (trimBlanks(pieces[i]).toLower() == current)
                remembered = i;
            // The reminder hands the chosen country back on a command line,
            // where a blank followed by "/" always opens a new argument.
            if (pieces[i].contains(QLatin1String(" /")))
                reader.report(node, {},
                              QStringLiteral("the country \"%1\" holds \" /\", which no command "
                                             "line can carry")
                                  .arg(pieces[i]),
                              QStringLiteral("a reminder leaves the country out and the relaunched "
                                             "wizard takes <default_country> instead"));
        }
    }
    list->addItem(QStringLiteral("Other"));
    if (state.useDefault == QLatin1String("1"))
        list->setListIndex(remembered + 1); // fires cmbCountry_Click, as a player's choice would
}

void cmbCountry_Click(forms::Form &form, WizardState &state)
{
    forms::Control *country = form.control(names::cmbCountry);
    forms::Control *language = form.control(names::cmbLanguage);
    forms::Control *field = form.control(names::txtCountry);
    language->setEnabled(true);
    const QString chosen = country->text();
    if (const auto entry = languageForCountry(chosen)) {
        language->setText(entry->language);
        if (entry->lockLanguage)
            language->setEnabled(false);
    } else {
        language->setListIndex(0);
    }
    field->setText(chosen);
    state.countryName = chosen;
    // "Other" lets the player type the country's name.
    field->setEnabled(chosen == QLatin1String("Other"));
}

void cmbCity_Change(forms::Form &form)
{
    form.control(names::txtCity)->setText(form.control(names::cmbCity)->text());
}

void cmbState_Change(forms::Form &form)
{
    form.control(names::txtState)->setText(form.control(names::cmbState)->text());
}
