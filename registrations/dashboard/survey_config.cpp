#include "registrations/dashboard/survey.h"

#include "platform/xml/xml_document.h"
#include "register/model/configuration.h"

#include <variant>

namespace registrations::dashboard {

namespace {

QString sectionLabel(const model::LanguageSection &section)
{
    QString label = section.id.trimmed();
    if (!label.isEmpty())
        label[0] = label[0].toUpper();
    const QString country = section.country.trimmed();
    if (!country.isEmpty() && country != u"else")
        label += QStringLiteral(" (%1)").arg(country);
    return label;
}

// A title fit for a chart's caption: the label's line breaks become blanks.
QString questionTitle(const model::QuestionPage &page, const model::Question &question)
{
    QString title = question.text;
    title.replace(u'`', u' ');
    title = title.simplified();
    if (title.isEmpty())
        title = QStringLiteral("Page %1, question %2").arg(page.number).arg(question.id);
    return title;
}

} // namespace

Survey surveyOf(const model::Configuration &configuration)
{
    QList<Section> sections;
    for (const model::LanguageSection &languageSection : configuration.sections) {
        Section section;
        section.label = sectionLabel(languageSection);
        for (const model::QuestionPage &page : languageSection.pages) {
            for (const model::Question &question : page.questions) {
                Question shown;
                shown.page = page.number;
                shown.id = question.id;
                shown.title = questionTitle(page, question);
                shown.options = question.options;
                switch (question.kind) {
                case model::QuestionKind::Text:
                    shown.kind = QuestionKind::Text;
                    break;
                case model::QuestionKind::Date:
                    shown.kind = QuestionKind::Date;
                    break;
                case model::QuestionKind::Combo:
                case model::QuestionKind::Radio:
                    shown.kind = QuestionKind::Choice;
                    break;
                case model::QuestionKind::List:
                case model::QuestionKind::Check:
                    shown.kind = QuestionKind::Choices;
                    break;
                }
                // A drop-down list sends its first entry when nothing was
                // chosen: that text is no answer.
                if (question.kind == model::QuestionKind::Combo && question.object >= 0 &&
                    question.object < page.definition.objects.size()) {
                    if (const auto *combo = std::get_if<model::ComboObject>(
                            &page.definition.objects[question.object]))
                        shown.placeholder = combo->defaultText;
                }
                section.questions.append(shown);
            }
        }
        sections.append(section);
    }
    return Survey(sections);
}

Survey readSurvey(const QString &configPath)
{
    if (configPath.isEmpty())
        return {};
    xml::Document document;
    if (!document.load(configPath))
        return {};
    // The service reports the configuration's problems where it reads it for
    // the mapping; the dashboard only takes what could be read.
    model::ConfigProblems problems;
    return surveyOf(model::readConfiguration(document, problems));
}

} // namespace registrations::dashboard
