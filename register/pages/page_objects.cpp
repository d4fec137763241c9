#include "register/pages/page_objects.h"

#include "register/core/control_names.h"

namespace pages {

namespace {

template <class... Fs> struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

} // namespace

QLatin1String objectCode(const PageObject &object)
{
    using namespace names;
    return std::visit(Overloaded{
                          [](const ImageObject &) { return code::image; },
                          [](const LabelObject &) { return code::label; },
                          [](const TextObject &) { return code::text; },
                          [](const DateObject &) { return code::date; },
                          [](const ComboObject &) { return code::combo; },
                          [](const ListObject &) { return code::list; },
                          [](const CheckObject &) { return code::check; },
                          [](const RadioObject &) { return code::radio; },
                      },
                      object);
}

void nameObjects(PageDefinition &page, int pageNumber)
{
    for (PageObject &object : page.objects) {
        const QLatin1String code = objectCode(object);
        std::visit([&](auto &o) { o.name = names::objectName(pageNumber, code, o.id); }, object);
    }
}

PageDefinition describePage(const QString &markup, int pageNumber, const QString &pageTitle)
{
    PageDefinition page = model::describePage(markup, pageTitle);
    nameObjects(page, pageNumber);
    return page;
}

} // namespace pages
