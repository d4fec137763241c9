#pragma once

// Registrations made up in the shape the wizard sends them with the sample
// configuration (English and French sections), for the dashboard's tests and
// benchmark. The same seed gives the same registrations.

#include "registrations/storage/storage.h"

#include <QDateTime>
#include <QStringList>

#include <array>
#include <random>

namespace generated {

// The option texts of the sample configuration's questions, per language.
struct Captions {
    QString language;
    QStringList heard;   // page 1, id 2 (drop-down list)
    QStringList often;   // page 1, id 3 (option buttons)
    QStringList kinds;   // page 2, id 1 (check boxes)
    QStringList devices; // page 2, id 2 (list)
    QStringList news;    // page 3, id 2 (option buttons)
    QString heardPlaceholder;
};

inline const std::array<Captions, 2> &captions()
{
    static const std::array<Captions, 2> all = {
        Captions{QStringLiteral("English"),
                 {"A friend", "A magazine", "A website", "A shop", "Television", "Somewhere else"},
                 {"Every day", "A few times a week", "A few times a month", "Rarely"},
                 {"Action", "Adventure", "Role-playing", "Strategy", "Sports", "Puzzle"},
                 {"Desktop PC", "Laptop", "Console", "Handheld", "Phone", "Tablet"},
                 {"Yes, please", "No, thank you"},
                 QStringLiteral("Please choose...")},
        Captions{
            QStringLiteral("French"),
            {"Par un ami", "Dans un magazine", "Sur un site web", "Dans un magasin",
             "À la télévision", "Ailleurs"},
            {"Tous les jours", "Quelques fois par semaine", "Quelques fois par mois", "Rarement"},
            {"Action", "Aventure", "Jeu de rôle", "Stratégie", "Sport", "Réflexion"},
            {"Ordinateur de bureau", "Ordinateur portable", "Console", "Console portable",
             "Téléphone", "Tablette"},
            {"Oui, volontiers", "Non, merci"},
            QStringLiteral("Veuillez choisir...")},
    };
    return all;
}

inline const QStringList &countries()
{
    static const QStringList list = {"France", "Germany", "United Kingdom", "United States",
                                     "Canada", "Spain",   "Italy",          "Netherlands"};
    return list;
}

inline const QStringList &favourites()
{
    static const QStringList list = {"Chess", "Tetris",    "Ember Reach", "Pong",    "Myst",
                                     "Doom",  "Elite",     "Lemmings",    "Civ",     "Rogue",
                                     "Zork",  "Thief",     "Outcast",     "Ultima",  "Oddworld",
                                     "Worms", "Syndicate", "Populous",    "Dune II", "Grim",
                                     "Limbo", "Braid"};
    return list;
}

// One registration received at `at`, its choices drawn from rng.
inline registrations::storage::Registration make(std::mt19937_64 &rng, qint64 serial,
                                                 const QDateTime &at)
{
    using registrations::storage::Answer;
    using registrations::storage::Field;
    auto pick = [&rng](qsizetype n) { return qsizetype(rng() % quint64(n)); };
    const Captions &c = captions()[pick(4) == 0 ? 1 : 0];
    registrations::storage::Registration r;
    r.receivedAt = at;
    r.game = QStringLiteral("Ember Reach");
    r.language = c.language;
    const QString first = QStringList{"Ann", "Bob", "Chloé", "Dmitri", "Eve", "Farid"}[pick(6)];
    const QString last = QStringList{"Lee", "Martin", "Ng", "Okafor", "Petit"}[pick(5)];
    r.email = first.toLower() + QString::number(serial) + QStringLiteral("@example.org");
    r.fields = {
        {"FirstName", first},
        {"LastName", last},
        {"dob",
         QStringLiteral("%1/%2/%3").arg(1960 + pick(50)).arg(1 + pick(12)).arg(1 + pick(28))},
        {"Country", countries()[pick(countries().size())]},
        {"Email", r.email},
        {"pname", r.game},
        {"lang", r.language}};
    // Page 1: product name, where heard (sometimes left at the placeholder),
    // how often, a favourite game (sometimes empty).
    r.answers.append(Answer{"1", "", 1});
    r.answers.append(Answer{"2", pick(10) == 0 ? c.heardPlaceholder : c.heard[pick(6)], 1});
    r.answers.append(Answer{"3", c.often[pick(4)], 1});
    r.answers.append(
        Answer{"4", pick(3) == 0 ? QString() : favourites()[pick(favourites().size())], 1});
    // Page 2: one to three kinds of games, zero to two devices.
    const qsizetype kinds = 1 + pick(3);
    for (qsizetype k = 0, start = pick(6); k < kinds; ++k)
        r.answers.append(Answer{"1", c.kinds[(start + k) % 6], 2});
    const qsizetype devices = pick(3);
    for (qsizetype k = 0, start = pick(6); k < devices; ++k)
        r.answers.append(Answer{"2", c.devices[(start + k) % 6], 2});
    // Page 3: the purchase date (day, month, year; sometimes left open),
    // news, a remark.
    if (pick(5) == 0) {
        r.answers.append(Answer{"1", "Day", 3});
        r.answers.append(Answer{"1", "Month", 3});
        r.answers.append(Answer{"1", "Year", 3});
    } else {
        r.answers.append(Answer{"1", QString::number(1 + pick(28)), 3});
        r.answers.append(Answer{"1", QString::number(1 + pick(12)), 3});
        r.answers.append(Answer{"1", QString::number(2020 + pick(7)), 3});
    }
    r.answers.append(Answer{"2", c.news[pick(2)], 3});
    r.answers.append(
        Answer{"3", pick(2) == 0 ? QString() : QStringLiteral("Remark %1").arg(serial), 3});
    // The wizard's requests are some 600 bytes long; the stored target is kept
    // that long so the database has the size of a real one.
    r.target = QStringLiteral("/register.asp?ans=generated-%1&pad=")
                   .arg(serial)
                   .toUtf8()
                   .leftJustified(600, 'x');
    return r;
}

} // namespace generated
