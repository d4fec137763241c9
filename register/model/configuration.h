#pragma once

// The configuration model: what a config.xml says, as typed values, and
// nothing about windows. It is what the wizard builds its screens from, what
// register-config checks and draws, and what the registration service maps a
// player's answers to:
//
//   Configuration        the root: start-up keys, the country list, the age
//                        entries and every language section in document order
//   LanguageSection      one <language id=".." country="..">: window, texts,
//                        colours, button pictures, personal fields, the
//                        welcome objects, the question pages, the cancel page
//   QuestionPage         one <page>: its objects as written (page_objects.h)
//                        and the questions they ask, in the wizard's order
//   Question             what the player answers: kind, id, the caption of
//                        the page's label with the same id, options in order,
//                        pattern, optional, error text, geometry
//
// Every element keeps its line and column in config.xml (Place). It is read
// once, through the one configuration reader (ConfigReader), and what cannot
// be used is reported to the problem log in the words the wizard uses.
// What the player answered is not in here: that lives with the controls.

#include "platform/xml/xml_document.h"
#include "register/model/colour.h"
#include "register/model/config_problems.h"
#include "register/model/page_objects.h"

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace model {

// A language section holds at most this many question pages; later ones are
// left out (and reported).
inline constexpr int kMaxQuestionPages = 20;

// A position and size in twips; each part only when written and converting.
struct Geometry {
    std::optional<int> x, y, width, height;
};

// An element whose content is the value (<errorlanguage>Please…</errorlanguage>).
struct TextElement {
    bool present = false;
    QString text;
    Place place;
};

// An element of a fixed screen that places a text: <thanksonline src=".." x=".." y=".."/>.
struct PlacedText {
    bool present = false;
    std::optional<QString> src;
    Geometry geometry;
    ColourSetting fore, back;
    Place place;
};

// A picture button's pictures: <next src="NEXT" srcover="NEXT_OVER"/>.
struct ButtonPicture {
    QLatin1String
        element; // "cancel", "prev", "next", "ok", "submit", "finish", "retry", "exit", "quit"
    bool present = false;
    std::optional<QString> src, srcover;
    Place place;
};

// The button elements a section may hold, in the order the model lists them.
inline constexpr QLatin1String kButtonElements[] = {
    QLatin1String("cancel"), QLatin1String("prev"),   QLatin1String("next"),
    QLatin1String("ok"),     QLatin1String("submit"), QLatin1String("finish"),
    QLatin1String("retry"),  QLatin1String("exit"),   QLatin1String("quit")};

// A personal field of <userinfo>: <firstname visible="1" src="First name *" x1=.. x2=.. .../>.
struct PersonalField {
    QLatin1String element; // as config.xml names it: "firstname"
    bool present = false;
    bool visible = false;           // only visible="1" (or no visible attribute) shows it
    std::optional<QString> caption; // src
    QString type;                   // "text" (also when absent), "combo", or as written
    Geometry label, input;          // x1 y1 width1 height1, x2 y2 width2 height2
    std::optional<int> maxLength;
    QString pattern;    // patten, trimmed of blanks
    QString optional;   // trimmed of blanks
    QStringList values; // a combo's entries (value="a|b")
    std::optional<QString> defaultText;
    ColourSetting fore, back;
    Place place;
};

// The personal fields as config.xml names them, in the order the
// registration sends them (the birth date is apart, on the welcome page).
inline constexpr QLatin1String kPersonalFieldElements[] = {
    QLatin1String("firstname"), QLatin1String("lastname"), QLatin1String("address1"),
    QLatin1String("address2"),  QLatin1String("city"),     QLatin1String("state"),
    QLatin1String("zip"),       QLatin1String("country"),  QLatin1String("phone"),
    QLatin1String("email"),     QLatin1String("login")};

enum class QuestionKind { Text, Date, Combo, List, Check, Radio };

// "text", "date", "combo", "list", "checkbox", "radiobox".
QLatin1String kindName(QuestionKind kind);

// A question of a page: an object the player answers.
struct Question {
    QuestionKind kind = QuestionKind::Text;
    QString id;                       // as written; the answer string carries it
    QString text;                     // the caption of the page's label with the same id ("`" kept)
    QStringList options;              // combo, list, check and radio: the option texts in order
    QString pattern;                  // text and date: patten, trimmed of blanks
    QString optional;                 // as written, trimmed of blanks where the wizard trims it
    std::optional<QString> errorText; // check: the message when too few are ticked
    Geometry geometry; // the object's x, y, width, height (check and radio: the first option)
    int object = -1;   // position in QuestionPage::definition.objects
    Place place;
};

struct QuestionPage {
    int number = 0;            // 1-based, the number the answer string carries
    Place place;               // the <page> element
    PageDefinition definition; // every object of the page, with its problems
    QList<Question> questions; // document order, which is the order the wizard walks them
};

// The register-later dialog: <cancelpage>.
struct CancelPage {
    PlacedText text;                                 // <text src=..>
    PlacedText later;                                // <later src1=.. days=.. src2=..>: src is src1
    std::optional<QString> laterDays, laterTrailing; // days, src2
    PlacedText tomorrow, cancel;
};

struct LanguageSection {
    QString id;      // as written
    QString country; // as written ("else" for every country without a section of its own)
    QString name;    // as problems name it: "english", or "english, Canada"
    Place place;

    std::optional<int> width, height; // the window, twips
    std::optional<QString> title;
    ColourSetting fore, back; // the defaults of every control

    TextElement selectLanguage, errorLanguage, errorRegion, onlineOnly, connectToServer, dataError;
    PlacedText methodText, methodOnline, methodPrint;
    PlacedText errorNotOnline, errorOther; // <errorpage><text_not_online>, <text_error>
    PlacedText thanksPrint, thanksOnline;  // <thanksfax>, <thanksonline>

    // <welcomepic src=".." src2=".." x=".." y=".."/>: src2 is the page title.
    bool welcomePicturePresent = false;
    std::optional<QString> welcomePicture, pageTitlePicture;
    Geometry welcomePictureGeometry;
    Place welcomePicturePlace;

    QList<ButtonPicture> buttons;        // kButtonElements, each whether present or not
    QList<PersonalField> personalFields; // kPersonalFieldElements, each whether present or not
    PageDefinition personalObjects;      // the other objects of <userinfo>
    PageDefinition welcome;              // the objects of <welcome>
    QList<QuestionPage> pages;           // at most kMaxQuestionPages
    CancelPage cancelPage;

    const ButtonPicture *button(QLatin1String element) const;
    const PersonalField *personalField(QLatin1String element) const;
};

struct AgeEntry {
    bool isElse = false; // the <else> entry, for every country without one of its own
    std::optional<QString> country, age, prompt, option;
    Place place;
};

struct Configuration {
    // The start-up keys of the root element, when written.
    TextElement useDefault, defaultLanguage, defaultCountry, defaultGameName, defaultUrl;
    // <country src="A|B|C"/>, the first such element of the document.
    QStringList countries;
    Place countriesPlace;
    QList<AgeEntry> ages; // document order, <else> among them
    QList<LanguageSection> sections;

    // The section a player of that language and country gets: the country's
    // own section, else the language's "else" section, else none (the wizard
    // then falls back to the first section). Compared trimmed of blanks and
    // without case.
    const LanguageSection *section(const QString &language, const QString &country) const;
};

// Reads the whole configuration; problems go to log, named with their
// section, line and column.
Configuration readConfiguration(const xml::Document &doc, ConfigProblems &log);

class ConfigReader;

// The section element's own settings into section: the window's width and
// height, its title and the default colours.
void readWindow(const ConfigReader &reader, LanguageSection &section);

// The prompt of the region screen and the messages of the region and
// language checks and of the connection, into section; onlineonly may be
// left out, the others are reported when missing.
void readPrompts(const ConfigReader &reader, LanguageSection &section);

// The message of data the player must correct, into section; reported when
// missing.
void readDataError(const ConfigReader &reader, LanguageSection &section);

// The pages of the section the reader reads, into section.pages,
// section.personalObjects and section.welcome. Only the page limit is
// reported here: each page's own problems stay in its definition, for
// whoever builds or checks it to report with the page (readSection does).
void readPages(const ConfigReader &reader, LanguageSection &section);

// Reads one language section (an element of doc); its problems go to log.
LanguageSection readSection(const xml::Document &doc, const xml::Node &section,
                            ConfigProblems &log);

// The questions of a described page: every object but labels and pictures,
// with the caption of the first label of the same id on that page.
QList<Question> questionsOf(const PageDefinition &page);

} // namespace model
