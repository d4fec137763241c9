#include "registrations/mapping/questionnaire.h"

#include "platform/xml/xml_document.h"
#include "register/model/configuration.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>

namespace registrations::mapping {

namespace {

QString fieldValue(const storage::Registration &r, QLatin1String key)
{
    for (const storage::Field &f : r.fields) {
        if (f.key == key)
            return f.value;
    }
    return QString();
}

// A caption as a screen reader says it: each grave accent (a line break on
// screen) and the blanks around it become one blank.
QString spokenCaption(const QString &caption)
{
    static const QRegularExpression breaks(QStringLiteral("\\s*[`\\r\\n]+\\s*"));
    return QString(caption).replace(breaks, QStringLiteral(" ")).trimmed();
}

Question questionOf(const model::QuestionPage &page, const model::Question &q)
{
    Question question;
    question.page = page.number;
    question.id = q.id;
    question.title = spokenCaption(q.text);
    switch (q.kind) {
    case model::QuestionKind::Text:
    case model::QuestionKind::Combo:
        question.kind = Question::Kind::Text;
        question.maxEntries = 1;
        break;
    case model::QuestionKind::Date:
        question.kind = Question::Kind::Date;
        question.maxEntries = 3;
        if (q.object >= 0 && q.object < page.definition.objects.size()) {
            if (const auto *date =
                    std::get_if<model::DateObject>(&page.definition.objects[q.object]))
                question.dateParts = date->parts;
        }
        break;
    case model::QuestionKind::Radio:
        question.kind = Question::Kind::Choice;
        question.maxEntries = 1;
        question.options = q.options;
        break;
    case model::QuestionKind::Check:
    case model::QuestionKind::List:
        question.kind = Question::Kind::Choice;
        question.maxEntries = int(std::max<qsizetype>(1, q.options.size()));
        question.options = q.options;
        break;
    }
    return question;
}

// The limit the wizard gives a text box: its maxlength when that is a size
// the box takes (1 to 32,767 characters, counted as the box counts them, in
// UTF-16 units); nothing for 0 (no limit), a value the box would not take or
// one the wizard does not read.
std::optional<int> boxLimit(std::optional<int> maxLength)
{
    if (maxLength && *maxLength > 0 && *maxLength <= 32767)
        return *maxLength;
    return std::nullopt;
}

// Gathers, over the sections, the largest limit of each slot; a slot any
// section shows without a certain limit has none.
class LimitGatherer {
  public:
    void add(const QString &slot, std::optional<int> limit)
    {
        if (!limit) {
            m_unlimited.insert(slot);
            return;
        }
        int &largest = m_largest[slot];
        largest = std::max(largest, *limit);
    }
    QHash<QString, int> limits() const
    {
        QHash<QString, int> out = m_largest;
        for (const QString &slot : m_unlimited)
            out.remove(slot);
        return out;
    }

  private:
    QHash<QString, int> m_largest;
    QSet<QString> m_unlimited;
};

// The limit of a question's answer: only a text box has one; a list's text,
// a date's parts and the boxes' captions are not typed into a limited box.
std::optional<int> answerLimit(const model::QuestionPage &page, const model::Question &q)
{
    if (q.kind != model::QuestionKind::Text || q.object < 0 ||
        q.object >= page.definition.objects.size())
        return std::nullopt;
    const auto *box = std::get_if<model::TextObject>(&page.definition.objects[q.object]);
    return box ? boxLimit(box->maxLength) : std::nullopt;
}

QList<Question> questionsOf(const model::LanguageSection &section)
{
    QList<Question> questions;
    for (const model::QuestionPage &page : section.pages) {
        for (const model::Question &q : page.questions)
            questions.append(questionOf(page, q));
    }
    return questions;
}

} // namespace

QString Questionnaire::answerSlot(int page, const QString &id)
{
    return QString::number(page) + u'\n' + id;
}

QString Questionnaire::sectionKey(const QString &language, const QString &country)
{
    return language.trimmed().toLower() + u'\n' + country.trimmed().toLower();
}

void Questionnaire::map(storage::Registration &registration) const
{
    auto section = sections.constFind(
        sectionKey(registration.language, fieldValue(registration, QLatin1String("Country"))));
    if (section == sections.cend())
        section = sections.constFind(sectionKey(registration.language, QStringLiteral("else")));
    if (section == sections.cend())
        return;
    QList<storage::Answer> &answers = registration.answers;
    const QList<Question> &questions = *section;
    // The wizard writes the answers in its walk order, which is the order of
    // the questions: an entry belongs to the first question from the current
    // one on with its id and room for another entry. Ids restart on every
    // page, so a second text box answer with the same id is the next page's.
    // A box's entry is one of its captions, which tells a ticked box from a
    // later page's question of the same id; an entry no caption matches (a
    // configuration changed since) still goes to the next question of its id.
    QList<int> taken(questions.size(), 0);
    qsizetype current = 0;
    const auto fits = [&](qsizetype q, const storage::Answer &answer, bool byCaption) {
        const Question &question = questions[q];
        if (question.id != answer.id || taken[q] >= question.maxEntries)
            return false;
        return !byCaption || question.kind != Question::Kind::Choice ||
               question.options.contains(answer.value);
    };
    for (storage::Answer &answer : answers) {
        for (const bool byCaption : {true, false}) {
            qsizetype found = -1;
            for (qsizetype q = current; q < questions.size() && found < 0; ++q) {
                if (fits(q, answer, byCaption))
                    found = q;
            }
            if (found >= 0) {
                ++taken[found];
                answer.page = questions[found].page;
                current = found;
                break;
            }
        }
    }
}

std::optional<QString> Questionnaire::overLimit(const storage::Registration &registration) const
{
    const QString reason = QStringLiteral("A value is longer than its box allows");
    for (const storage::Field &field : registration.fields) {
        const auto limit = fieldLimits.constFind(field.key);
        if (limit != fieldLimits.cend() && field.value.size() > *limit)
            return reason;
    }
    for (const storage::Answer &answer : registration.answers) {
        if (answer.page <= 0)
            continue;
        const auto limit = answerLimits.constFind(answerSlot(answer.page, answer.id));
        if (limit != answerLimits.cend() && answer.value.size() > *limit)
            return reason;
    }
    return std::nullopt;
}

std::optional<Questionnaire> readQuestionnaire(const QString &path, QString *error)
{
    xml::Document doc;
    if (!doc.load(path)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, doc.errorString());
        return std::nullopt;
    }
    // The configuration's own problems are register-config's to report; what
    // can be read is used, as the wizard does.
    model::ConfigProblems problems;
    const model::Configuration config = model::readConfiguration(doc, problems);
    Questionnaire questionnaire;
    const QUrl url(config.defaultUrl.text.trimmed());
    questionnaire.path = url.path(QUrl::FullyEncoded).toUtf8();
    // The wire keys are the text boxes' names without "txt".
    static const QHash<QString, QString> keys = {
        {QStringLiteral("firstname"), QStringLiteral("FirstName")},
        {QStringLiteral("lastname"), QStringLiteral("LastName")},
        {QStringLiteral("address1"), QStringLiteral("Address1")},
        {QStringLiteral("address2"), QStringLiteral("Address2")},
        {QStringLiteral("city"), QStringLiteral("City")},
        {QStringLiteral("state"), QStringLiteral("State")},
        {QStringLiteral("zip"), QStringLiteral("Zip")},
        {QStringLiteral("country"), QStringLiteral("Country")},
        {QStringLiteral("phone"), QStringLiteral("Phone")},
        {QStringLiteral("email"), QStringLiteral("Email")},
        {QStringLiteral("login"), QStringLiteral("Login")}};
    // The limits are gathered over every section, not only the one a
    // registration is mapped by: a player who went back and chose another
    // language may keep a personal box whose limit was set by the section
    // before (a section without maxlength leaves the box's limit as it was).
    LimitGatherer fieldLimits, answerLimits;
    for (const model::LanguageSection &section : config.sections) {
        const QString key = Questionnaire::sectionKey(section.id, section.country);
        if (!questionnaire.sections.contains(key))
            questionnaire.sections.insert(key, questionsOf(section));
        for (const model::PersonalField &field : section.personalFields) {
            if (!field.present || !field.visible || !keys.contains(QString(field.element)))
                continue;
            // A field shown as a list sends the entry chosen, whatever its length.
            fieldLimits.add(keys.value(QString(field.element)), field.type == QLatin1String("text")
                                                                    ? boxLimit(field.maxLength)
                                                                    : std::nullopt);
        }
        for (const model::QuestionPage &page : section.pages) {
            for (const model::Question &q : page.questions)
                answerLimits.add(Questionnaire::answerSlot(page.number, q.id),
                                 answerLimit(page, q));
        }
    }
    questionnaire.fieldLimits = fieldLimits.limits();
    questionnaire.answerLimits = answerLimits.limits();
    if (!config.sections.isEmpty()) {
        const model::LanguageSection &first = config.sections.first();
        questionnaire.columns = questionsOf(first);
        for (const model::PersonalField &field : first.personalFields) {
            if (field.present && field.visible)
                questionnaire.personalKeys.append(keys.value(QString(field.element)));
            if (field.element == QLatin1String("lastname"))
                questionnaire.personalKeys.append(QStringLiteral("dob"));
        }
        questionnaire.personalKeys.removeAll(QString());
    }
    return questionnaire;
}

} // namespace registrations::mapping
