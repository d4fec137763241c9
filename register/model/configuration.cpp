#include "register/model/configuration.h"

#include "platform/forms/conversions.h"
#include "register/model/config_reader.h"

#include <algorithm>

namespace model {

namespace {

template <class... Fs> struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

const QString kKeepsValue = QStringLiteral("the control keeps its earlier value");
const QString kKeepsColour = QStringLiteral("the control keeps its colour");

QString normalised(const std::optional<QString> &value)
{
    return forms::trimBlanks(value.value_or(QString())).toLower();
}

// Reads one document (config.xml, or a language section parsed on its own)
// through the configuration reader, so that every place is one of config.xml.
class Reading {
  public:
    explicit Reading(const ConfigReader &reader) : m_reader(reader) {}

    Place placeOf(const xml::Node &node) const
    {
        const xml::Node source = m_reader.sourceOf(node);
        return source ? Place{source.line(), source.column()} : Place{};
    }

    TextElement text(const char *name, bool required) const
    {
        const QString path = QStringLiteral("//") + QLatin1String(name);
        const xml::Node node =
            required ? m_reader.require(path, QStringLiteral("the earlier text stays"))
                     : m_reader.select(path);
        if (!node)
            return {};
        return {true, node.text(), placeOf(node)};
    }

    std::optional<int> number(const xml::Node &node, const char *attribute,
                              const QString &instead = kKeepsValue) const
    {
        return m_reader.number(node, attribute, instead);
    }

    ColourSetting colour(const xml::Node &node, const char *attribute,
                         const QString &instead = kKeepsColour) const
    {
        ColourSetting c;
        c.present = bool(node.attribute(QLatin1String(attribute)));
        if (c.present)
            c.value = m_reader.colour(node, attribute, instead);
        return c;
    }

    Geometry geometry(const xml::Node &node, const char *x, const char *y, const char *width,
                      const char *height) const
    {
        Geometry g;
        g.x = number(node, x);
        g.y = number(node, y);
        g.width = number(node, width);
        g.height = number(node, height);
        return g;
    }

    PlacedText placedText(const QString &path, const QString &instead) const
    {
        PlacedText t;
        const xml::Node node = m_reader.require(path, instead);
        if (!node)
            return t;
        t.present = true;
        t.src = node.attribute(QStringLiteral("src"));
        t.geometry = geometry(node, "x", "y", "width", "height");
        t.fore = colour(node, "forecolor");
        t.back = colour(node, "backcolor");
        t.place = placeOf(node);
        return t;
    }

    const ConfigReader &reader() const { return m_reader; }

  private:
    const ConfigReader &m_reader;
};

PersonalField readPersonalField(const Reading &r, QLatin1String element)
{
    PersonalField f;
    f.element = element;
    const xml::Node node =
        r.reader().require(QStringLiteral("//userinfo/") + element,
                           QStringLiteral("the field and its label are hidden; it is neither "
                                          "required nor sent"));
    if (!node)
        return f;
    f.present = true;
    f.place = r.placeOf(node);
    const auto visible = node.attribute(QStringLiteral("visible"));
    f.visible = !visible || *visible == QLatin1String("1");
    f.caption = node.attribute(QStringLiteral("src"));
    f.type = node.attribute(QStringLiteral("type")).value_or(QStringLiteral("text"));
    if (!f.visible)
        return f;
    f.label = r.geometry(node, "x1", "y1", "width1", "height1");
    f.input = r.geometry(node, "x2", "y2", "width2", "height2");
    f.maxLength = r.number(node, "maxlength");
    f.pattern = forms::trimBlanks(node.attribute(QStringLiteral("patten")).value_or(QString()));
    f.optional = forms::trimBlanks(node.attribute(QStringLiteral("optional")).value_or(QString()));
    if (const auto values = node.attribute(QStringLiteral("value")))
        f.values = values->split(u'|');
    f.defaultText = node.attribute(QStringLiteral("default"));
    f.fore = r.colour(node, "forecolor");
    f.back = r.colour(node, "backcolor");
    return f;
}

// The page objects read from config.xml itself carry its lines; a page read
// from a section parsed on its own is placed through the reader.
void placeObjects(const Reading &r, PageDefinition &page, const QList<xml::Node> &nodes)
{
    for (qsizetype k = 0; k < page.objects.size(); ++k)
        page.places[k] = r.placeOf(nodes.value(page.sources.value(k, -1)));
}

// Problems of a page go to the log at the object they belong to, worded
// with the page's title, as the wizard words them.
void reportPage(const Reading &r, const PageDefinition &page, const xml::Node &pageNode,
                const QList<xml::Node> &nodes, const QString &title)
{
    for (const PageProblem &p : page.problems) {
        const xml::Node at = p.object >= 0 ? nodes.value(p.object) : pageNode;
        if (at)
            r.reader().report(at, {"type", "id"}, title + QStringLiteral(": ") + p.what, {});
        else
            r.reader().reportAt({}, {}, p.toString(), {});
    }
}

PageDefinition readObjects(const Reading &r, const QList<xml::Node> &nodes, const QString &title)
{
    PageDefinition page = describeObjects(nodes, title);
    placeObjects(r, page, nodes);
    return page;
}

CancelPage readCancelPage(const Reading &r)
{
    const QString instead = QStringLiteral("the dialog keeps its design text and place");
    CancelPage c;
    c.text = r.placedText(QStringLiteral("//cancelpage/text"), instead);
    c.later = r.placedText(QStringLiteral("//cancelpage/later"), instead);
    c.tomorrow = r.placedText(QStringLiteral("//cancelpage/tomorrow"), instead);
    c.cancel = r.placedText(QStringLiteral("//cancelpage/cancel"), instead);
    if (c.later.present) {
        const xml::Node later = r.reader().select(QStringLiteral("//cancelpage/later"));
        c.later.src = later.attribute(QStringLiteral("src1"));
        c.laterDays = later.attribute(QStringLiteral("days"));
        c.laterTrailing = later.attribute(QStringLiteral("src2"));
    }
    return c;
}

} // namespace

QLatin1String kindName(QuestionKind kind)
{
    switch (kind) {
    case QuestionKind::Text:
        return QLatin1String("text");
    case QuestionKind::Date:
        return QLatin1String("date");
    case QuestionKind::Combo:
        return QLatin1String("combo");
    case QuestionKind::List:
        return QLatin1String("list");
    case QuestionKind::Check:
        return QLatin1String("checkbox");
    case QuestionKind::Radio:
        return QLatin1String("radiobox");
    }
    return QLatin1String("text");
}

QList<Question> questionsOf(const PageDefinition &page)
{
    // The question text is the caption of the first label with the same id.
    auto captionOf = [&page](const QString &id) {
        for (const PageObject &object : page.objects)
            if (const auto *label = std::get_if<LabelObject>(&object); label && label->id == id)
                return label->src;
        return QString();
    };
    QList<Question> questions;
    for (qsizetype k = 0; k < page.objects.size(); ++k) {
        Question q;
        q.object = int(k);
        q.place = page.places.value(k);
        const bool asks =
            std::visit(Overloaded{
                           [](const ImageObject &) { return false; },
                           [](const LabelObject &) { return false; },
                           [&q](const TextObject &o) {
                               q.kind = QuestionKind::Text;
                               q.id = o.id;
                               q.pattern = o.patten;
                               q.optional = o.optional;
                               q.geometry = {o.x, o.y, o.width, o.height};
                               return true;
                           },
                           [&q](const DateObject &o) {
                               q.kind = QuestionKind::Date;
                               q.id = o.id;
                               q.pattern = o.patten;
                               q.optional = o.optional;
                               q.geometry = {o.x, o.y, std::nullopt, std::nullopt};
                               return true;
                           },
                           [&q](const ComboObject &o) {
                               q.kind = QuestionKind::Combo;
                               q.id = o.id;
                               q.options = o.values;
                               q.geometry = {o.x, o.y, o.width, std::nullopt};
                               return true;
                           },
                           [&q](const ListObject &o) {
                               q.kind = QuestionKind::List;
                               q.id = o.id;
                               q.options = o.values;
                               q.optional = o.optional;
                               q.geometry = {o.x, o.y, o.width, o.height};
                               return true;
                           },
                           [&q](const CheckObject &o) {
                               q.kind = QuestionKind::Check;
                               q.id = o.id;
                               q.options = o.captions;
                               q.optional = o.optional;
                               q.errorText = o.error;
                               q.geometry = {o.xs.value(0), o.ys.value(0), o.width, std::nullopt};
                               return true;
                           },
                           [&q](const RadioObject &o) {
                               q.kind = QuestionKind::Radio;
                               q.id = o.id;
                               q.options = o.captions;
                               q.geometry = {o.xs.value(0), o.ys.value(0), o.width, std::nullopt};
                               return true;
                           },
                       },
                       page.objects[k]);
        if (!asks)
            continue;
        q.text = captionOf(q.id);
        questions.append(std::move(q));
    }
    return questions;
}

const ButtonPicture *LanguageSection::button(QLatin1String element) const
{
    for (const ButtonPicture &b : buttons)
        if (b.element == element)
            return &b;
    return nullptr;
}

const PersonalField *LanguageSection::personalField(QLatin1String element) const
{
    for (const PersonalField &f : personalFields)
        if (f.element == element)
            return &f;
    return nullptr;
}

void readWindow(const ConfigReader &reader, LanguageSection &s)
{
    const Reading r(reader);
    const xml::Node root = reader.document().documentElement();
    s.width = r.number(root, "width");
    s.height = r.number(root, "height");
    s.title = root.attribute(QStringLiteral("title"));
    s.fore = r.colour(root, "forecolor", QStringLiteral("the default text colour stays"));
    s.back = r.colour(root, "backcolor", QStringLiteral("the default background colour stays"));
}

void readPrompts(const ConfigReader &reader, LanguageSection &s)
{
    const Reading r(reader);
    s.selectLanguage = r.text("selectlanguage", true);
    s.errorLanguage = r.text("errorlanguage", true);
    s.errorRegion = r.text("errorregion", true);
    s.onlineOnly = r.text("onlineonly", false);
    s.connectToServer = r.text("connecttoserver", true);
}

void readDataError(const ConfigReader &reader, LanguageSection &s)
{
    s.dataError = Reading(reader).text("dataerror", true);
}

void readPages(const ConfigReader &reader, LanguageSection &s)
{
    const Reading r(reader);
    const xml::Document &doc = reader.document();
    const QList<xml::Node> pageNodes = doc.selectNodes(QStringLiteral("//page"));
    if (pageNodes.size() > kMaxQuestionPages) {
        reader.report(pageNodes[kMaxQuestionPages], {},
                      QStringLiteral("is page %1 of %2; a section holds at most %3 pages")
                          .arg(kMaxQuestionPages + 1)
                          .arg(pageNodes.size())
                          .arg(kMaxQuestionPages),
                      QStringLiteral("this page and every later one are left out"));
    }
    s.pages.clear();
    for (qsizetype i = 0; i < std::min<qsizetype>(pageNodes.size(), kMaxQuestionPages); ++i) {
        QuestionPage page;
        page.number = int(i + 1);
        page.place = r.placeOf(pageNodes[i]);
        page.definition = readObjects(r, pageNodes[i].descendants(QStringLiteral("object")),
                                      QStringLiteral("question page %1").arg(page.number));
        page.questions = questionsOf(page.definition);
        s.pages.append(std::move(page));
    }
    s.personalObjects = readObjects(r, doc.selectNodes(QStringLiteral("//userinfo/object")),
                                    QStringLiteral("personal-information page"));
    s.welcome = readObjects(r, doc.selectNodes(QStringLiteral("//welcome/object")),
                            QStringLiteral("welcome page"));
}

LanguageSection readSection(const xml::Document &, const xml::Node &sectionNode,
                            ConfigProblems &log)
{
    // The section is read on its own, as the wizard reads the chosen one: its
    // "//name" lookups then find its own elements only. Places are mapped
    // back to config.xml.
    xml::Document doc;
    doc.loadXml(sectionNode.xml());
    const ConfigReader reader(doc, log, sectionNode);
    const Reading r(reader);

    LanguageSection s;
    s.id = sectionNode.attribute(QStringLiteral("id")).value_or(QString());
    s.country = sectionNode.attribute(QStringLiteral("country")).value_or(QString());
    s.name = sectionName(sectionNode);
    s.place = {sectionNode.line(), sectionNode.column()};
    readWindow(reader, s);
    readPrompts(reader, s);

    const QString keeps = QStringLiteral("the control keeps its earlier text and place");
    s.methodText = r.placedText(QStringLiteral("//methodpage/text"), keeps);
    s.methodOnline = r.placedText(QStringLiteral("//methodpage/online"), keeps);
    s.methodPrint = r.placedText(QStringLiteral("//methodpage/print"), keeps);
    s.errorNotOnline = r.placedText(QStringLiteral("//errorpage/text_not_online"), keeps);
    s.errorOther = r.placedText(QStringLiteral("//errorpage/text_error"), keeps);
    s.thanksPrint = r.placedText(QStringLiteral("//thanksfax"), keeps);
    s.thanksOnline = r.placedText(QStringLiteral("//thanksonline"), keeps);
    readDataError(reader, s);

    // The question pages, then what the wizard reads after them.
    readPages(reader, s);
    const QList<xml::Node> pageNodes = doc.selectNodes(QStringLiteral("//page"));
    for (const QuestionPage &page : s.pages) {
        const xml::Node node = pageNodes.value(page.number - 1);
        reportPage(r, page.definition, node, node.descendants(QStringLiteral("object")),
                   QStringLiteral("question page %1").arg(page.number));
    }

    for (QLatin1String element : kPersonalFieldElements)
        s.personalFields.append(readPersonalField(r, element));
    reportPage(r, s.personalObjects, doc.selectSingleNode(QStringLiteral("//userinfo")),
               doc.selectNodes(QStringLiteral("//userinfo/object")),
               QStringLiteral("personal-information page"));
    reportPage(r, s.welcome, doc.selectSingleNode(QStringLiteral("//welcome")),
               doc.selectNodes(QStringLiteral("//welcome/object")), QStringLiteral("welcome page"));

    const xml::Node pic = reader.require(QStringLiteral("//welcomepic"),
                                         QStringLiteral("the title keeps its earlier picture"));
    if (pic) {
        s.welcomePicturePresent = true;
        s.welcomePicture = pic.attribute(QStringLiteral("src"));
        s.pageTitlePicture = pic.attribute(QStringLiteral("src2"));
        s.welcomePictureGeometry.x = r.number(pic, "x");
        s.welcomePictureGeometry.y = r.number(pic, "y");
        s.welcomePicturePlace = r.placeOf(pic);
    }

    for (QLatin1String element : kButtonElements) {
        ButtonPicture b;
        b.element = element;
        const xml::Node node = reader.select(QStringLiteral("//") + element);
        if (node) {
            b.present = true;
            b.src = node.attribute(QStringLiteral("src"));
            b.srcover = node.attribute(QStringLiteral("srcover"));
            b.place = r.placeOf(node);
        }
        s.buttons.append(b);
    }

    s.cancelPage = readCancelPage(r);
    return s;
}

Configuration readConfiguration(const xml::Document &doc, ConfigProblems &log)
{
    const ConfigReader reader(doc, log);
    const Reading r(reader);
    Configuration c;
    // The start-up keys may be left out: the command line and the built-in
    // values stand in for them.
    c.useDefault = r.text("use_default", false);
    c.defaultLanguage = r.text("default_language", false);
    c.defaultCountry = r.text("default_country", false);
    c.defaultGameName = r.text("default_gamename", false);
    c.defaultUrl = r.text("default_url", false);

    const xml::Node countries = doc.selectSingleNode(QStringLiteral("//country"));
    if (const auto src = countries.attribute(QStringLiteral("src")))
        c.countries = src->split(u'|');
    c.countriesPlace = r.placeOf(countries);

    const xml::Node age = doc.selectSingleNode(QStringLiteral("//age"));
    for (const xml::Node &entry : age.elements()) {
        const bool isElse = entry.name() == QLatin1String("else");
        if (!isElse && entry.name() != QLatin1String("object"))
            continue;
        c.ages.append({isElse, entry.attribute(QStringLiteral("country")),
                       entry.attribute(QStringLiteral("age")),
                       entry.attribute(QStringLiteral("prompt")),
                       entry.attribute(QStringLiteral("option")), r.placeOf(entry)});
    }

    for (const xml::Node &section : doc.selectNodes(QStringLiteral("//language")))
        c.sections.append(readSection(doc, section, log));
    return c;
}

const LanguageSection *Configuration::section(const QString &language, const QString &country) const
{
    const QString lang = forms::trimBlanks(language).toLower();
    const QString ctry = forms::trimBlanks(country).toLower();
    for (const LanguageSection &s : sections)
        if (normalised(s.id) == lang && normalised(s.country) == ctry)
            return &s;
    for (const LanguageSection &s : sections)
        if (normalised(s.id) == lang && normalised(s.country) == QLatin1String("else"))
            return &s;
    return nullptr;
}

} // namespace model
