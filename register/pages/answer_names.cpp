#include "register/pages/answer_names.h"

#include "platform/forms/form.h"
#include "register/core/built_questions.h"
#include "register/core/control_names.h"
#include "register/core/spoken_words.h"
#include "register/core/wizard_state.h"

namespace {

template <class... Fs> struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

// The caption of the page's label that shares the object's id, as a name;
// empty when the page has no such label.
QString questionOf(const built::Questions &record, int pageNumber, const QString &id)
{
    const built::Question *caption = record.find(pageNumber, names::code::label, id);
    const forms::Control *label = caption ? caption->input.data() : nullptr;
    if (!label || label->kind() != forms::Kind::Label)
        return {};
    return words::captionAsName(label->text());
}

// The controls of the object's question: objects of one page with the same
// type and id share them.
const built::Question *builtFor(const built::Questions &record, int pageNumber,
                                const pages::PageObject &object)
{
    return record.find(pageNumber, pages::objectCode(object),
                       std::visit([](const auto &o) { return o.id; }, object));
}

void name(forms::Control *c, const QString &spoken)
{
    if (c && !spoken.isEmpty())
        c->setAccessibleName(spoken);
}

void describeOptions(const built::Question &built, qsizetype count, const QString &question)
{
    for (int k = 0; k < count; ++k)
        if (forms::Control *option = built.option(k))
            option->setAccessibleDescription(question);
}

QString datePartWord(const QString &language, const QString &part)
{
    if (part == QLatin1String("y"))
        return words::spokenWord(language, QStringLiteral("year"));
    if (part == QLatin1String("m"))
        return words::spokenWord(language, QStringLiteral("month"));
    if (part == QLatin1String("d"))
        return words::spokenWord(language, QStringLiteral("day"));
    return {};
}

} // namespace

void nameAnswers(forms::Form &, const WizardState &state, int pageNumber,
                 const QList<pages::PageObject> &objects)
{
    const built::Questions &record = state.pageQuestions;
    for (const pages::PageObject &object : objects) {
        const built::Question *built = builtFor(record, pageNumber, object);
        if (!built)
            continue; // a picture or a label: nothing to name
        const QString question = questionOf(record, pageNumber, built->id);
        std::visit(
            Overloaded{
                [](const pages::ImageObject &) {},
                [](const pages::LabelObject &) {},
                [&](const pages::TextObject &) { name(built->input, question); },
                [&](const pages::DateObject &o) {
                    for (int k = 0; k < 3; ++k) {
                        // A part that is no date part has no word: its list
                        // is named by the text it starts with.
                        const QString word = datePartWord(state.currentLanguage, o.parts[k]);
                        name(built->dateList(o.parts[k]),
                             words::captionWithWord(question, word.isEmpty() ? o.texts[k] : word));
                    }
                },
                [&](const pages::ComboObject &) { name(built->input, question); },
                [&](const pages::ListObject &) { name(built->input, question); },
                [&](const pages::CheckObject &o) {
                    describeOptions(*built, o.captions.size(), question);
                },
                [&](const pages::RadioObject &o) {
                    if (built->group)
                        built->group->setAccessibleDescription(question);
                    describeOptions(*built, o.captions.size(), question);
                },
            },
            object);
    }
}
