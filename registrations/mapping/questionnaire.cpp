#include "registrations/mapping/questionnaire.h"

namespace registrations::mapping {

void Questionnaire::map(const QString &language, QList<storage::Answer> &answers) const
{
    const auto section = sections.constFind(language.toLower());
    if (section == sections.cend())
        return;
    const QList<Question> &questions = *section;
    // The wizard writes the answers in its walk order, which is the order of
    // the questions: an entry belongs to the first question from the current
    // one on with its id and room for another entry. Ids restart on every
    // page, so a second text box answer with the same id is the next page's.
    QList<int> taken(questions.size(), 0);
    qsizetype current = 0;
    for (storage::Answer &answer : answers) {
        for (qsizetype q = current; q < questions.size(); ++q) {
            if (questions[q].id == answer.id && taken[q] < questions[q].maxEntries) {
                ++taken[q];
                answer.page = questions[q].page;
                current = q;
                break;
            }
        }
    }
}

std::optional<Questionnaire> readQuestionnaire(const QString &path, QString *error)
{
    if (error)
        *error = QStringLiteral("%1: reading a configuration is not built yet").arg(path);
    return std::nullopt;
}

} // namespace registrations::mapping
