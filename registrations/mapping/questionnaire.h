#pragma once

// What the service needs to know of a configuration: the path registrations
// are sent to, the questions of each language section in the order the wizard
// writes their answers, and the questions' texts for export columns.

#include "registrations/storage/storage.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

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
    QString title;      // the caption of the label with the same id on the same page
};

class Questionnaire {
  public:
    // The path of the configured registration address ("/register.asp"), empty when not set.
    QByteArray path;
    // The questions of the first language section, in wire order: the export's columns.
    QList<Question> columns;
    // The questions of each language section (by its id, lower case), in wire order.
    QHash<QString, QList<Question>> sections;

    // Gives each answer the page of its question in the section of language
    // (matched without regard to letter case). Left at 0 when there is no such
    // section or an entry fits none of its questions.
    void map(const QString &language, QList<storage::Answer> &answers) const;
};

// Reads the configuration file; nothing and the reason when it cannot be read.
std::optional<Questionnaire> readQuestionnaire(const QString &path, QString *error);

} // namespace registrations::mapping
