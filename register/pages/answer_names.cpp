#include "register/pages/answer_names.h"

#include "platform/forms/form.h"
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
QString questionOf(const forms::Form &form, int pageNumber, QLatin1String code,
                   const QString &object)
{
    // The id is whatever follows the object's prefix; it may hold a "_".
    const QString prefix = names::objectName(pageNumber, code, QString());
    if (!object.startsWith(prefix))
        return {};
    const forms::Control *label =
        form.control(names::objectName(pageNumber, names::code::label, object.mid(prefix.size())));
    if (!label || label->kind() != forms::Kind::Label)
        return {};
    return words::captionAsName(label->text());
}

void name(forms::Control *c, const QString &spoken)
{
    if (c && !spoken.isEmpty())
        c->setAccessibleName(spoken);
}

void describeOptions(const forms::Form &form, const QString &object, qsizetype count,
                     const QString &question)
{
    for (int k = 0; k < count; ++k)
        if (forms::Control *option = form.control(names::optionName(object, k)))
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

void nameAnswers(forms::Form &form, const WizardState &state, int pageNumber,
                 const QList<pages::PageObject> &objects)
{
    using namespace names;
    for (const pages::PageObject &object : objects) {
        std::visit(
            Overloaded{
                [](const pages::ImageObject &) {},
                [](const pages::LabelObject &) {},
                [&](const pages::TextObject &o) {
                    name(form.control(o.name), questionOf(form, pageNumber, code::text, o.name));
                },
                [&](const pages::DateObject &o) {
                    const QString question = questionOf(form, pageNumber, code::date, o.name);
                    for (int k = 0; k < 3; ++k) {
                        // A part that is no date part has no word: its list
                        // is named by the text it starts with.
                        const QString word = datePartWord(state.currentLanguage, o.parts[k]);
                        name(form.control(datePartName(o.name, o.parts[k])),
                             words::captionWithWord(question, word.isEmpty() ? o.texts[k] : word));
                    }
                },
                [&](const pages::ComboObject &o) {
                    const QString question = questionOf(form, pageNumber, code::combo, o.name);
                    for (forms::Control *c : form.family(answerFamily))
                        if (c->tag() == o.name)
                            name(c, question);
                },
                [&](const pages::ListObject &o) {
                    name(form.control(o.name), questionOf(form, pageNumber, code::list, o.name));
                },
                [&](const pages::CheckObject &o) {
                    describeOptions(form, o.name, o.captions.size(),
                                    questionOf(form, pageNumber, code::check, o.name));
                },
                [&](const pages::RadioObject &o) {
                    const QString question = questionOf(form, pageNumber, code::radio, o.name);
                    if (forms::Control *group = form.control(groupFrameName(o.name)))
                        group->setAccessibleDescription(question);
                    describeOptions(form, o.name, o.captions.size(), question);
                },
            },
            object);
    }
}
