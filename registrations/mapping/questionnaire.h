#pragma once

// What the service needs to know of a configuration: the path registrations
// are sent to, the questions of each language section in the order the wizard
// writes their answers, and the questions' texts for export columns.

#include "registrations/storage/storage.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace registrations::mapping {

struct Question {
    // Text: one entry, always (a text box, a list's text). Date: three entries,
    // always (year, month, day). Choice: the selected or ticked boxes' captions.
    enum class Kind { Text, Choice, Date };
    int page = 0; // 1 for the first question page
    QString id;
    Kind kind = Kind::Text;
    int maxEntries = 1; // how many entries the question can send at most
    // Date: which part ("y", "m", "d") each of its three entries is, in order.
    std::array<QString, 3> dateParts = {QStringLiteral("y"), QStringLiteral("m"),
                                        QStringLiteral("d")};
    QString title; // the caption of the label with the same id on the same page
    // Choice: the captions the player picks from (each entry is one of them).
    QStringList options;
};

class Questionnaire {
  public:
    // The path of the configured registration address ("/register.asp"), empty when not set.
    QByteArray path;
    // The questions of the first language section, in wire order: the export's columns.
    QList<Question> columns;
    // The personal fields that section shows, by their keys on the wire, in
    // wire order (the birth date after the last name).
    QStringList personalKeys;
    // The questions of each language section, in wire order, by sectionKey().
    QHash<QString, QList<Question>> sections;

    // The longest value the wizard lets a player type into a personal field
    // (by its wire key) or a question's text box (by answerSlot()), where
    // every language section that shows it agrees it is a text box with a
    // limit: then the largest of their limits. Not there: no limit of the
    // configuration's own is certain.
    QHash<QString, int> fieldLimits;
    QHash<QString, int> answerLimits;

    static QString sectionKey(const QString &language, const QString &country);
    static QString answerSlot(int page, const QString &id);

    // Gives each answer the page of its question in the section the player
    // saw: the one of the sent language (lang) and country (the Country field,
    // when the configuration has a section of its own for it), else the
    // language's section for every other country. Left at 0 when there is no
    // such section or an entry fits none of its questions.
    void map(storage::Registration &registration) const;

    // Whether a value of a mapped registration is longer than its box allows
    // (fieldLimits, answerLimits), which our wizard with this configuration
    // cannot send: the reason to refuse it, else nothing. Answers left
    // unmapped (page 0) are not looked at.
    std::optional<QString> overLimit(const storage::Registration &registration) const;
};

// Reads the configuration file; nothing and the reason when it cannot be read.
std::optional<Questionnaire> readQuestionnaire(const QString &path, QString *error);

} // namespace registrations::mapping
