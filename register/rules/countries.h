#pragma once

// Which language a chosen country sets in the language list.

#include <QString>

#include <optional>

struct CountryLanguage {
    QString language;
    bool lockLanguage = false; // the player may not change the language afterwards
};

// The language for a country entry, compared exactly (case-sensitive, whole
// entry). The empty entry gives no language: the caller then selects the
// language list's first entry. Every entry the table does not name, "Other"
// and misspellings included, gives English.
std::optional<CountryLanguage> languageForCountry(const QString &country);
