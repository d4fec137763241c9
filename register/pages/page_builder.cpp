#include "register/pages/page_builder.h"

#include "register/core/control_names.h"

#include "platform/forms/form.h"
#include "register/core/skin.h"
#include "register/core/wizard_state.h"
#include "register/model/config_reader.h"
#include "register/model/configuration.h"
#include "register/pages/answer_names.h"
#include "register/pages/page_objects.h"
#include "register/pages/renderers.h"

#include <algorithm>

namespace {

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

BuiltPage buildPage(forms::Form &form, WizardState &state, int pageNumber,
                    pages::PageDefinition page, forms::Control *container, const QString &pageTitle,
                    const QDate &today)
{
    pages::nameObjects(page, pageNumber);
    BuiltPage built;
    const int year = today.year();
    for (qsizetype k = 0; k < page.objects.size(); ++k) {
        const pages::PageObject &object = page.objects[k];
        const int source = page.sources.value(k, -1);
        const int before = form.count();
        const Rendered rendered = std::visit(
            Overloaded{
                [&](const pages::ImageObject &o) {
                    if (!Render_Image(form, state, o, container) && languageHasPictures(state))
                        page.problems.append(
                            {source, pageTitle,
                             QStringLiteral("the picture %1; the image stays empty")
                                 .arg(pictureProblem(state, o.src,
                                                     findLanguagePicture(state, o.src)))});
                    return Rendered{}; // a picture answers nothing
                },
                [&](const pages::LabelObject &o) {
                    return Render_Label(form, state, o, container);
                },
                [&](const pages::TextObject &o) {
                    return Render_TextBox(form, state, o, container);
                },
                [&](const pages::DateObject &o) {
                    return Render_Date(form, state, o, container, year);
                },
                [&](const pages::ComboObject &o) {
                    return Render_Combo(form, state, o, container);
                },
                [&](const pages::ListObject &o) {
                    return Render_ListBox(form, state, o, container);
                },
                [&](const pages::CheckObject &o) {
                    return Render_CheckBox(form, state, o, container);
                },
                [&](const pages::RadioObject &o) {
                    return Render_RadioBox(form, state, o, container);
                },
            },
            object);
        if (!rendered.pieces.isEmpty()) {
            built::Question &question = state.pageQuestions.pageObject(
                pageNumber, pages::objectCode(object),
                std::visit([](const auto &o) { return o.id; }, object));
            for (const Rendered::Piece &piece : rendered.pieces)
                state.pageQuestions.add(piece.control, question, piece.role, piece.suffix);
        }
        // The controls this object added straight into the page, holders aside.
        BuiltPage::Placed placed{source, {}, false};
        const QList<forms::Control *> controls = form.controls();
        for (qsizetype i = before; i < controls.size(); ++i) {
            const forms::Control *c = controls[i];
            if (!c->isVisibleFlag() || c->container() != container)
                continue;
            placed.rect |= QRect(c->left(), c->top(), c->width(), c->height());
            placed.input = placed.input ||
                           (c->kind() != forms::Kind::Label && c->kind() != forms::Kind::Image);
        }
        if (!placed.rect.isNull())
            built.placed.append(placed);
    }
    nameAnswers(form, state, pageNumber, page.objects);
    built.problems = page.problems;
    return built;
}

void LoadPageSetting(forms::Form &form, WizardState &state, const QDate &today)
{
    const model::ConfigReader reader(state.languageDoc, state.problems, state.languageSource);
    const QList<xml::Node> pageNodes = state.languageDoc.selectNodes(QStringLiteral("//page"));
    // The frames that carry question pages are frmPages 1 to the page limit;
    // a pageCount beyond them is never used to index a frame.
    const int pageCount = std::clamp<int>(state.pageCount, 0, model::kMaxQuestionPages);
    // Every page is built anew; what an earlier build recorded is forgotten.
    state.pageQuestions.clear();
    for (int i = 0; i <= pageCount + 1; ++i) {
        const bool welcome = i == pageCount + 1;
        forms::Control *frame =
            welcome ? form.control(names::frmWelcome) : form.control(names::frmPages, i);
        if (!frame)
            continue;
        frame->move(0, 0);
        frame->resize(form.width(), form.height());
        const QString title = pageTitle(i, pageCount);
        const BuiltPage built =
            buildPage(form, state, i, welcome ? state.welcomePage : state.pages.value(i), frame,
                      title, today);

        // Where the page's objects stand in the section, for the lines.
        xml::Node pageNode;
        QList<xml::Node> objects;
        if (welcome || i == 0) {
            pageNode = state.languageDoc.selectSingleNode(welcome ? QStringLiteral("//welcome")
                                                                  : QStringLiteral("//userinfo"));
            objects = pageNode.children(QStringLiteral("object"));
        } else if (i <= pageNodes.size()) {
            pageNode = pageNodes[i - 1];
            objects = pageNode.descendants(QStringLiteral("object"));
        }
        for (const pages::PageProblem &p : built.problems) {
            const xml::Node at = p.object >= 0 ? objects.value(p.object) : pageNode;
            if (at)
                reader.report(at, {"type", "id"}, title + QStringLiteral(": ") + p.what, {});
            else
                reader.reportAt({}, {}, p.toString(), {});
        }
        model::Placement placement(reader, QSize(form.width(), form.height()),
                                   QStringLiteral("window"));
        for (const BuiltPage::Placed &p : built.placed)
            if (const xml::Node at = objects.value(p.object))
                placement.add(at, {"type", "id", "x", "y"}, p.rect, p.input);
        placement.check();
    }
}
