#pragma once

// The questions of the configuration as the dashboard charts them: for each
// language section, its questions in page order with the texts of that
// section. Answers arrive as the option captions of the section the player
// used, so counting them under the chosen section's captions goes through the
// option's position, which every section shares.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace model {
struct Configuration;
}

namespace registrations::dashboard {

enum class QuestionKind {
    Choice,  // one option (option buttons, a drop-down list)
    Choices, // any number of options (check boxes, a list)
    Text,    // free text
    Date,    // three entries; charted per year
};

struct Question {
    int page = 0; // 1 for the first question page
    QString id;
    QString title; // the caption of the label with the same id on the same page
    QuestionKind kind = QuestionKind::Text;
    QStringList options;
    QString placeholder; // a drop-down list's first entry, which is no answer
};

struct Section {
    QString label; // the language, with its country when the section has one
    QList<Question> questions;
};

class Survey {
  public:
    Survey() = default;
    explicit Survey(QList<Section> sections);

    const QList<Section> &sections() const { return m_sections; }

    // The position of value among the options of the question (page, id), in
    // whichever section it is a caption; nothing when it is none.
    std::optional<int> optionIndex(int page, const QString &id, const QString &value) const;

    // Whether value is the placeholder of the question in some section.
    bool isPlaceholder(int page, const QString &id, const QString &value) const;

  private:
    static QString key(int page, const QString &id, const QString &value);

    QList<Section> m_sections;
    QHash<QString, int> m_options; // key(page, id, caption) -> position
    QHash<QString, bool> m_placeholders;
};

// The questions of every language section of a configuration.
Survey surveyOf(const model::Configuration &configuration);

// The survey of a configuration file; an empty one when the path is empty or
// the file cannot be read (the service then maps no answers either).
Survey readSurvey(const QString &configPath);

} // namespace registrations::dashboard
