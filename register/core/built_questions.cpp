#include "register/core/built_questions.h"

#include "platform/forms/control.h"

namespace built {

namespace {

// Controls are found by name whatever its case, so objects whose ids differ
// only in case share their controls, and their question.
QString keyOf(int page, QLatin1String code, const QString &id)
{
    return QString::number(page) + u'\x1f' + code + u'\x1f' + id.toCaseFolded();
}

} // namespace

forms::Control *Question::dateList(QStringView part) const
{
    for (const auto &[name, list] : dateLists)
        if (name == part)
            return list.data();
    return nullptr;
}

forms::Control *Question::option(int k) const
{
    return k >= 0 && k < options.size() ? options[k].data() : nullptr;
}

void Questions::clear()
{
    m_questions.clear();
    m_byKey.clear();
    m_parts.clear();
    m_holders.clear();
}

Question &Questions::pageObject(int page, QLatin1String code, const QString &id)
{
    const QString key = keyOf(page, code, id);
    if (const int at = indexOf(key); at >= 0)
        return m_questions[at];
    Question q;
    q.page = page;
    q.code = code;
    q.id = id;
    q.number = int(m_questions.size());
    m_byKey.insert(key, q.number);
    m_questions.append(std::move(q));
    return m_questions.last();
}

Question &Questions::personalField(QLatin1String stem)
{
    const QString key = QStringLiteral("\x1e") + QString(stem).toCaseFolded();
    if (const int at = indexOf(key); at >= 0)
        return m_questions[at];
    Question q;
    q.id = stem;
    q.number = int(m_questions.size());
    m_byKey.insert(key, q.number);
    m_questions.append(std::move(q));
    return m_questions.last();
}

const Question *Questions::find(int page, QLatin1String code, const QString &id) const
{
    const int at = indexOf(keyOf(page, code, id));
    return at >= 0 ? &m_questions[at] : nullptr;
}

void Questions::add(forms::Control *control, Question &question, Role role, const QString &suffix)
{
    if (!control)
        return;
    const bool holder = role == Role::PatternHolder || role == Role::OptionalHolder;
    Entry &entry = (holder ? m_holders : m_parts)[control];
    // A control already recorded keeps its first part, unless that entry
    // outlived its control and the address is being used again.
    const bool known = entry.control.data() == control && entry.part.question >= 0;
    // Recorded for this very question: a later object of the same name found
    // it again, and the question holds it already.
    if (known && entry.part.question == question.number)
        return;
    if (!known) {
        entry.control = control;
        entry.part = Part{question.number, role, suffix};
    }
    switch (role) {
    case Role::Own:
    case Role::AnswerList:
        if (!question.input)
            question.input = control;
        break;
    case Role::DateList:
        if (!question.dateList(suffix))
            question.dateLists.append({suffix, control});
        break;
    case Role::Option:
        question.options.append(control);
        break;
    case Role::Group:
        if (!question.group)
            question.group = control;
        break;
    case Role::PatternHolder:
        if (!question.patternHolder)
            question.patternHolder = control;
        break;
    case Role::OptionalHolder:
        if (!question.optionalHolder)
            question.optionalHolder = control;
        break;
    case Role::DateSeparator:
        break;
    }
}

const Part *Questions::live(const QHash<const forms::Control *, Entry> &map,
                            const forms::Control *control)
{
    const auto it = map.constFind(control);
    if (it == map.constEnd() || it->control.data() != control)
        return nullptr;
    return &it->part;
}

const Part *Questions::partOf(const forms::Control *control) const
{
    return live(m_parts, control);
}

const Part *Questions::holderOf(const forms::Control *control) const
{
    return live(m_holders, control);
}

} // namespace built
