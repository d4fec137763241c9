#include "register/pages/page_builder.h"

#include "platform/forms/form.h"
#include "register/pages/page_objects.h"
#include "register/pages/renderers.h"
#include "register/wizard/wizard_state.h"

#include <algorithm>
#include <cstdio>

namespace {

// The frames that carry question pages: frmPages 1 to 20.
constexpr int kMaxQuestionPages = 20;

template <class... Fs> struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

QString pageTitle(int page, int pageCount)
{
    if (page == pageCount + 1)
        return QStringLiteral("welcome page");
    if (page == 0)
        return QStringLiteral("personal-information page");
    return QStringLiteral("question page %1").arg(page);
}

} // namespace

QStringList buildPage(forms::Form &form, const WizardState &state, int pageNumber,
                      const QString &markup, forms::Control *container, const QString &pageTitle,
                      const QDate &today)
{
    pages::PageDefinition page = pages::describePage(markup, pageNumber, pageTitle);
    const int year = today.year();
    for (const pages::PageObject &object : page.objects) {
        std::visit(
            Overloaded{
                [&](const pages::ImageObject &o) {
                    if (!Render_Image(form, state, o, container))
                        page.problems.append(
                            QStringLiteral("%1: the picture \"%2\" of %3 does not exist in the "
                                           "pictures of %4; the image stays empty")
                                .arg(pageTitle, o.src, o.name, state.currentLanguage));
                },
                [&](const pages::LabelObject &o) { Render_Label(form, state, o, container); },
                [&](const pages::TextObject &o) { Render_TextBox(form, state, o, container); },
                [&](const pages::DateObject &o) { Render_Date(form, state, o, container, year); },
                [&](const pages::ComboObject &o) { Render_Combo(form, state, o, container); },
                [&](const pages::ListObject &o) { Render_ListBox(form, state, o, container); },
                [&](const pages::CheckObject &o) { Render_CheckBox(form, state, o, container); },
                [&](const pages::RadioObject &o) { Render_RadioBox(form, state, o, container); },
            },
            object);
    }
    return page.problems;
}

void LoadPageSetting(forms::Form &form, WizardState &state, const QDate &today)
{
    // The global settings cap pageCount at the frames there are; a value
    // beyond them is never used to index a frame.
    const int pageCount = std::clamp<int>(state.pageCount, 0, kMaxQuestionPages);
    for (int i = 0; i <= pageCount + 1; ++i) {
        const bool welcome = i == pageCount + 1;
        forms::Control *frame = welcome ? form.control(QStringLiteral("frmWelcome"))
                                        : form.control(QStringLiteral("frmPages"), i);
        if (!frame)
            continue;
        frame->move(0, 0);
        frame->resize(form.width(), form.height());
        const QString &markup = welcome ? state.welcomeXml : state.pageXml.value(i);
        const QStringList problems =
            buildPage(form, state, i, markup, frame, pageTitle(i, pageCount), today);
        for (const QString &problem : problems)
            std::fprintf(stderr, "config.xml, language section \"%s\", %s\n",
                         state.currentLanguage.toLocal8Bit().constData(),
                         problem.toLocal8Bit().constData());
    }
}
