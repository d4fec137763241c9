#include "registrations/dashboard/survey.h"

namespace registrations::dashboard {

Survey::Survey(QList<Section> sections) : m_sections(std::move(sections))
{
    for (const Section &section : m_sections) {
        for (const Question &question : section.questions) {
            if (question.kind != QuestionKind::Choice && question.kind != QuestionKind::Choices)
                continue;
            for (int i = 0; i < question.options.size(); ++i) {
                // The first section that uses a caption decides its position,
                // so a caption shared by two sections counts in one place.
                const QString k = key(question.page, question.id, question.options[i]);
                if (!m_options.contains(k))
                    m_options.insert(k, i);
            }
            if (!question.placeholder.isEmpty())
                m_placeholders.insert(key(question.page, question.id, question.placeholder), true);
        }
    }
}

QString Survey::key(int page, const QString &id, const QString &value)
{
    // Ids and captions come from the configuration, which holds no control
    // characters; a sent value that does can only miss, never hit another key.
    return QString::number(page) + QChar(0x1f) + id + QChar(0x1f) + value;
}

std::optional<int> Survey::optionIndex(int page, const QString &id, const QString &value) const
{
    const auto it = m_options.constFind(key(page, id, value));
    if (it == m_options.constEnd())
        return std::nullopt;
    return *it;
}

bool Survey::isPlaceholder(int page, const QString &id, const QString &value) const
{
    return m_placeholders.contains(key(page, id, value));
}

} // namespace registrations::dashboard
