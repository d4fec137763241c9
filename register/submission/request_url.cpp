#include "register/submission/request_url.h"

#include "register/core/wizard_state.h"
#include "register/rules/url_encoding.h"
#include "register/submission/registration_fields.h"

QString buildRequestUrl(const forms::Form &form, WizardState &state)
{
    const QuestionPages pages = readQuestionPages(form, state);
    applyProductName(pages, state);

    // "|" separates the entries and the first grave accent the id from the
    // value, so a player's "|" or grave accent is written as its escape;
    // "%7C" and "%60" stand for nothing else. A server that does not undo
    // them still sees one whole entry.
    const auto escaped = [](QString text) {
        return text.replace(u'|', QLatin1String("%7C")).replace(u'`', QLatin1String("%60"));
    };
    QString answers;
    for (const QuestionItem &item : pages.items) {
        if (item.kind == QuestionItem::Kind::Answer)
            answers += u'|' + escaped(item.id) + u'`' + escaped(item.text);
    }
    answers.remove(0, 1); // the first entry's "|"

    QString query = QLatin1String("?ans=") + encodeValue(answers);
    for (const PersonalEntry &field : visiblePersonalFields(form))
        query += u'&' + field.key + u'=' + encodeValue(field.value);
    // The birth date follows the other personal fields. Its "/" separators
    // carry its structure, so it is not value-encoded.
    if (const std::optional<BirthDate> birth = birthDate(form, state))
        query += QLatin1String("&dob=") + birth->date.value_or(QString());
    query += QLatin1String("&pname=") + encodeValue(state.gameName);
    query += QLatin1String("&lang=") + encodeValue(state.currentLanguage);

    return state.registrationUrl + encodeUrl(query);
}
