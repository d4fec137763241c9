#include "register/model/config_schema.h"

#include "platform/forms/conversions.h"

#include <algorithm>

namespace model::schema {

namespace {

// Attributes several elements share.
constexpr Attribute kX{"x", "where the fixed layout puts it",
                       "left edge, twips from the window's left"};
constexpr Attribute kY{"y", "where the fixed layout puts it",
                       "top edge, twips from the window's top"};
constexpr Attribute kWidth{"width", "the fixed layout's", "width, twips"};
constexpr Attribute kHeight{"height", "the fixed layout's", "height, twips"};
constexpr Attribute kFore{"forecolor", "the section's forecolor",
                          "text colour, hexadecimal BBGGRR"};
constexpr Attribute kBack{"backcolor", "the section's backcolor",
                          "background colour, hexadecimal BBGGRR"};
constexpr Attribute kText{"src", "the text the layout carries",
                          "the text; a grave accent (`) starts a new line"};
constexpr Attribute kPicture{"src", "the built-in picture of that name",
                             "the picture's name (built-in, or a file of pictures/)"};
constexpr Attribute kPictureOver{"srcover", "the normal picture stays",
                                 "the picture shown while the mouse is over the button"};

constexpr Attribute kCountryList[] = {
    {"src", "no country is listed", "the countries of the region list, separated by |"}};
constexpr Attribute kLanguage[] = {
    {"id", "(required)",
     "the language: the language list shows it, and it names the built-in pictures (dutch, "
     "english, french, german, italian, spanish)"},
    {"country", "(required)",
     "\"else\" for every country without a section of its own, or one country's name"},
    kWidth,
    kHeight,
    {"title", "empty", "the window's title"},
    {"forecolor", "000000 (black)", "the text colour of every control without its own"},
    {"backcolor", "the system's",
     "the background colour of the window and of every input without its own"}};
constexpr Attribute kAgeEntry[] = {
    {"country", "(required)", "the country, as the region list writes it"},
    {"age", "no age limit", "the minimum age, whole years"},
    {"prompt", "no message", "the message shown to a younger player; ` starts a new line"},
    {"option", "1",
     "\"1\": OK goes on (a parent agrees), Cancel corrects the date; else only OK, and the player "
     "cannot go on"}};
constexpr Attribute kAgeElse[] = {
    {"age", "no age limit", "the minimum age for every country without an entry"},
    {"prompt", "no message", "the message shown to a younger player"},
    {"option", "1", "as for <object>"}};
constexpr Attribute kWelcomePic[] = {
    {"src", "WELCOMETITLE_1", "the title picture of the welcome page"},
    {"src2", "WELCOMETITLE_2", "the title picture of every other page"},
    kX,
    kY};
constexpr Attribute kButton[] = {kPicture, kPictureOver};
constexpr Attribute kPlacedText[] = {kText, kX, kY, kWidth, kHeight, kFore, kBack};
constexpr Attribute kLater[] = {{"src1", "the layout's", "the words before the number of days"},
                                {"days", "the layout's", "the number of days the reminder offers"},
                                {"src2", "the layout's", "the words after the number of days"},
                                kX,
                                kY,
                                kWidth,
                                kHeight,
                                kFore,
                                kBack};

// The label and input of a personal field.
constexpr Attribute kShown{"visible", "1",
                           "\"1\" shows the field; anything else hides it and its label"};
constexpr Attribute kCaption{"src", "the layout's caption", "the label's caption"};
constexpr Attribute kLabelX{"x1", "the layout's", "the label's left edge, twips"};
constexpr Attribute kLabelY{"y1", "the layout's", "the label's top edge, twips"};
constexpr Attribute kLabelWidth{"width1", "the layout's", "the label's width, twips"};
constexpr Attribute kLabelHeight{"height1", "the layout's", "the label's height, twips"};
constexpr Attribute kInputX{"x2", "the layout's", "the input's left edge, twips"};
constexpr Attribute kInputY{"y2", "the layout's", "the input's top edge, twips"};
constexpr Attribute kInputWidth{"width2", "the layout's", "the input's width, twips"};
constexpr Attribute kFieldHeight{"height2", "the layout's",
                                 "the input's height, twips (a list takes none)"};
constexpr Attribute kField[] = {
    kShown,
    kCaption,
    kLabelX,
    kLabelY,
    kLabelWidth,
    kLabelHeight,
    kInputX,
    kInputY,
    kInputWidth,
    kFieldHeight,
    {"maxlength", "0 (no limit)", "the most characters the player can type"},
    {"patten", "empty (no check)", "the answer's pattern (see Patterns)"},
    {"optional", "empty (required)", "\"1\" lets the field stay empty"},
    kFore,
    kBack};
constexpr Attribute kCityState[] = {
    kShown,
    {"type", "text", "\"text\" for a text box, \"combo\" for a list"},
    kCaption,
    kLabelX,
    kLabelY,
    kLabelWidth,
    kLabelHeight,
    kInputX,
    kInputY,
    kInputWidth,
    kFieldHeight,
    {"maxlength", "0 (no limit)", "the most characters the player can type (text box)"},
    {"patten", "empty (no check)", "the answer's pattern (text box)"},
    {"optional", "empty (required)", "\"1\" lets the field stay empty"},
    {"value", "no entries", "a list's entries, separated by |"},
    {"default", "empty", "a list's starting text"},
    kFore,
    kBack};
constexpr Attribute kCountryField[] = {
    kShown,      kCaption,
    kLabelX,     kLabelY,
    kLabelWidth, kLabelHeight,
    kInputX,     kInputY,
    kInputWidth, {"height2", "the layout's", "the input's height, twips"},
    kFore,       kBack};

#define FIELD(name, example)                                                                       \
    Element                                                                                        \
    {                                                                                              \
        name, "userinfo", "a personal field: its label and its input on the personal page",        \
            example, kField                                                                        \
    }

constexpr Element kElements[] = {
    {"register",
     "",
     "the root element: it holds everything below",
     "<register> ... </register>",
     {}},
    {"use_default",
     "register",
     "\"1\" preselects the language and the country on the first screen (as /default=1 does); "
     "default 0",
     "<use_default>0</use_default>",
     {},
     true},
    {"default_language",
     "register",
     "the language used before the player chooses one; default English",
     "<default_language>English</default_language>",
     {},
     true},
    {"default_country",
     "register",
     "the country preselected with use_default; default none",
     "<default_country>Canada</default_country>",
     {},
     true},
    {"default_gamename",
     "register",
     "the product's name, sent with the registration and printed on the form",
     "<default_gamename>Ember Reach</default_gamename>",
     {},
     true},
    {"default_url",
     "register",
     "the registration server's address (http:// or https://); the registration is sent there as "
     "one GET",
     "<default_url>https://register.example.com/register</default_url>",
     {},
     true},
    {"country", "register",
     "the region list of the first screen; must stand before the language sections (whose "
     "<userinfo> has a <country> field)",
     "<country src=\"Canada|France|Other\"/>", kCountryList},
    {"age",
     "register",
     "the age limits: one <object> per country and an <else> for the rest",
     "<age> <object .../> <else .../> </age>",
     {}},
    {"object", "age",
     "the age limit of one country, checked against the birth date on the welcome page",
     "<object country=\"Germany\" age=\"16\" option=\"0\" prompt=\"You must be 16.\"/>", kAgeEntry},
    {"else", "age", "the age limit of every country without an <object>",
     "<else age=\"13\" option=\"1\" prompt=\"Ask a parent.\"/>", kAgeElse},
    {"language", "register",
     "a language section: everything the player sees in that language (for one country, or for "
     "every other one)",
     "<language id=\"english\" country=\"else\" width=\"9765\" height=\"6885\" "
     "title=\"Registration\">",
     kLanguage},
    {"selectlanguage",
     "language",
     "the prompt of the region and language screen",
     "<selectlanguage>Please choose your region and language</selectlanguage>",
     {},
     true},
    {"errorlanguage",
     "language",
     "the message when Next is pressed without a language",
     "<errorlanguage>Please choose a language.</errorlanguage>",
     {},
     true},
    {"errorregion",
     "language",
     "the message when Next is pressed without a region",
     "<errorregion>Please choose your region.</errorregion>",
     {},
     true},
    {"onlineonly",
     "language",
     "\"1\": no method screen, the registration is sent online only; default 0",
     "<onlineonly>0</onlineonly>",
     {},
     true},
    {"connecttoserver",
     "language",
     "the notice shown while the registration is sent",
     "<connecttoserver>Connecting...</connecttoserver>",
     {},
     true},
    {"dataerror",
     "language",
     "the message when a page has missing or wrong answers",
     "<dataerror>Please check the highlighted field.</dataerror>",
     {},
     true},
    {"welcomepic", "language", "the title pictures of the welcome page and of the other pages",
     "<welcomepic src=\"WELCOMETITLE_1\" src2=\"WELCOMETITLE_2\" x=\"1732\" y=\"250\"/>",
     kWelcomePic},
    {"ok", "language", "the OK button's pictures (method screen, message dialog)",
     "<ok src=\"OK\" srcover=\"OK_OVER\"/>", kButton},
    {"cancel", "language", "the Cancel button's pictures; must stand before <cancelpage>",
     "<cancel src=\"CANCEL\" srcover=\"CANCEL_OVER\"/>", kButton},
    {"prev", "language", "the Previous button's pictures",
     "<prev src=\"PREVIOUS\" srcover=\"PREVIOUS_OVER\"/>", kButton},
    {"next", "language", "the Next button's pictures", "<next src=\"NEXT\" srcover=\"NEXT_OVER\"/>",
     kButton},
    {"submit", "language", "the Submit button's pictures (last question page)",
     "<submit src=\"SUBMIT\" srcover=\"SUBMIT_OVER\"/>", kButton},
    {"finish", "language", "the Finish button's pictures (thanks screens)",
     "<finish src=\"FINISH\" srcover=\"FINISH_OVER\"/>", kButton},
    {"retry", "language", "the Retry button's pictures (error screen)",
     "<retry src=\"RETRY\" srcover=\"RETRY_OVER\"/>", kButton},
    {"exit", "language", "the Exit button's pictures (error screen)",
     "<exit src=\"EXIT\" srcover=\"EXIT_OVER\"/>", kButton},
    {"quit", "language", "the Quit button's pictures (register-later dialog)",
     "<quit src=\"QUIT\" srcover=\"QUIT_OVER\"/>", kButton},
    {"methodpage",
     "language",
     "the method screen: online or printed",
     "<methodpage> <text/> <online/> <print/> </methodpage>",
     {}},
    {"text", "methodpage", "the method screen's question",
     "<text src=\"How would you like to register?\" x=\"1500\" y=\"1600\"/>", kPlacedText},
    {"online", "methodpage", "the choice to register online",
     "<online src=\"Register online\" x=\"1800\" y=\"2700\" width=\"5200\" height=\"400\"/>",
     kPlacedText},
    {"print", "methodpage", "the choice to print a form",
     "<print src=\"Print a form\" x=\"1800\" y=\"3300\" width=\"5200\" height=\"400\"/>",
     kPlacedText},
    {"errorpage",
     "language",
     "the error screen's two texts",
     "<errorpage> <text_not_online/> <text_error/> </errorpage>",
     {}},
    {"text_not_online", "errorpage", "shown when the server cannot be reached",
     "<text_not_online src=\"We could not reach the server.\" x=\"1500\" y=\"1800\"/>",
     kPlacedText},
    {"text_error", "errorpage", "shown when the server refuses the registration",
     "<text_error src=\"The server refused the registration.\" x=\"1500\" y=\"1800\"/>",
     kPlacedText},
    {"thanksfax", "language", "the thanks screen after printing",
     "<thanksfax src=\"Please sign and mail the form.\" x=\"1500\" y=\"1800\"/>", kPlacedText},
    {"thanksonline", "language", "the thanks screen after sending",
     "<thanksonline src=\"Thank you!\" x=\"1500\" y=\"1800\"/>", kPlacedText},
    {"welcome",
     "language",
     "the welcome page's objects (the birth date among them, a date object of id 0)",
     "<welcome> <object type=\"label\" .../> </welcome>",
     {}},
    {"userinfo",
     "language",
     "the personal page: the eleven fields below, and objects of its own",
     "<userinfo> <firstname .../> ... </userinfo>",
     {}},
    FIELD("firstname", "<firstname visible=\"1\" src=\"First name *\" x1=\"600\" y1=\"1760\" "
                       "width1=\"1600\" height1=\"300\" x2=\"2250\" y2=\"1700\" width2=\"2500\" "
                       "height2=\"330\" maxlength=\"40\" optional=\"0\"/>"),
    FIELD("lastname", "<lastname visible=\"1\" src=\"Last name *\" .../>"),
    FIELD("address1", "<address1 visible=\"1\" src=\"Address *\" .../>"),
    FIELD("address2", "<address2 visible=\"1\" src=\"Address (cont.)\" optional=\"1\" .../>"),
    FIELD("zip", "<zip visible=\"1\" src=\"Postal code *\" patten=\"z\" .../>"),
    FIELD("phone", "<phone visible=\"1\" src=\"Telephone\" patten=\"p\" optional=\"1\" .../>"),
    FIELD("login", "<login visible=\"0\"/>"),
    FIELD("email", "<email visible=\"1\" src=\"E-mail *\" patten=\"m\" .../>"),
    {"city", "userinfo", "the city field: a text box, or a list (type=\"combo\")",
     "<city visible=\"1\" type=\"combo\" value=\"Paris|Lyon\" default=\"Paris\" .../>", kCityState},
    {"state", "userinfo", "the state field: a text box, or a list (type=\"combo\")",
     "<state visible=\"1\" type=\"text\" .../>", kCityState},
    {"country", "userinfo", "the country field (filled from the region screen)",
     "<country visible=\"1\" src=\"Country\" .../>", kCountryField},
    {"page",
     "language",
     "a question page (at most 20 per section): its <object> elements",
     "<page> <object type=\"label\" id=\"1\" .../> <object type=\"text\" id=\"1\" .../> </page>",
     {}},
    {"object",
     "page",
     "a label, picture or question of the page (see Page objects)",
     "<object type=\"text\" id=\"1\" x=\"3600\" y=\"1450\" width=\"4200\" height=\"330\"/>",
     {}},
    {"object",
     "welcome",
     "a label, picture or question of the welcome page (see Page objects)",
     "<object type=\"date\" id=\"0\" src=\"d/m/y\" patten=\"13\" .../>",
     {}},
    {"object",
     "userinfo",
     "a label or picture of the personal page (see Page objects)",
     "<object type=\"label\" id=\"1\" src=\"Fields marked * are required.\" x=\"600\" y=\"1250\"/>",
     {}},
    {"cancelpage",
     "language",
     "the register-later dialog",
     "<cancelpage> <text/> <later/> <tomorrow/> <cancel/> </cancelpage>",
     {}},
    {"text", "cancelpage", "the dialog's question",
     "<text src=\"Register now, later, or not at all?\" x=\"400\" y=\"300\" width=\"5200\" "
     "height=\"700\"/>",
     kPlacedText},
    {"later", "cancelpage", "the choice to be reminded in some days",
     "<later src1=\"Remind me in\" days=\"7\" src2=\"days\" x=\"400\" y=\"1250\" width=\"1800\" "
     "height=\"350\"/>",
     kLater},
    {"tomorrow", "cancelpage", "the choice to be reminded tomorrow",
     "<tomorrow src=\"Remind me tomorrow\" x=\"400\" y=\"1750\" width=\"4800\" height=\"350\"/>",
     kPlacedText},
    {"cancel", "cancelpage", "the choice not to register",
     "<cancel src=\"Do not register\" x=\"400\" y=\"2250\" width=\"4800\" height=\"350\"/>",
     kPlacedText},
};

#undef FIELD

constexpr Attribute kType{"type", "(required)", "the kind, as in the table's heading"};
constexpr Attribute kId{"id", "(required)",
                        "the question's id: a label and a question of one id belong together, "
                        "and the answer is sent under it"};
// An object without one of these is not shown (and reported).
constexpr Attribute kOX{"x", "(required)", "left edge, twips"};
constexpr Attribute kOY{"y", "(required)", "top edge, twips"};
constexpr Attribute kOWidth{"width", "(required)", "width, twips"};
constexpr Attribute kOHeight{"height", "(required)", "height, twips"};

constexpr Attribute kDate[] = {
    kType,
    kId,
    {"src", "(required)", "the order of the three lists and the separator: d/m/y, m/d/y or y/m/d"},
    {"text", "(required)", "the lists' starting texts, in that order: Day/Month/Year"},
    kOX,
    kOY,
    {"patten", "(required)",
     "a number makes it a birth date with that minimum age; d a past date; empty: any date"},
    {"optional", "(required)", "\"0\" makes the date required"},
    kFore,
    kBack};
constexpr Attribute kImg[] = {
    kType, kId, {"src", "(required)", "the picture's name"}, kOX, kOY, kOWidth, kOHeight};
constexpr Attribute kLabel[] = {
    kType,
    kId,
    {"src", "(required)", "the caption; ` starts a new line; it is also the question's text"},
    kOX,
    kOY,
    kFore};
constexpr Attribute kCombo[] = {
    kType, kId,     {"src", "(required)", "the entries, separated by |"},          kOX,
    kOY,   kOWidth, {"default", "(required)", "the starting text (may be empty)"}, kFore,
    kBack};
constexpr Attribute kRadio[] = {
    kType,
    kId,
    {"src", "(required)", "the options' captions, separated by |"},
    {"x", "(required)", "each option's left edge, separated by |"},
    {"y", "(required)", "each option's top edge, separated by |"},
    kOWidth,
    {"default", "(required)", "the 0-based number of the option chosen at the start; empty: none"},
    kFore,
    kBack};
constexpr Attribute kCheck[] = {
    kType,
    kId,
    {"src", "(required)", "the boxes' captions, separated by |"},
    {"x", "(required)", "each box's left edge, separated by |"},
    {"y", "(required)", "each box's top edge, separated by |"},
    kOWidth,
    {"optional", "(required)", "\"0\": at least one box must be ticked"},
    {"error", "the data-error text", "the message when none is ticked"},
    kFore,
    kBack};
constexpr Attribute kTextBox[] = {
    kType,
    kId,
    {"src", "(required)", "the starting text (usually empty)"},
    kOX,
    kOY,
    kOWidth,
    kOHeight,
    {"maxlength", "(required)", "the most characters the player can type; 0: no limit"},
    {"patten", "(required)", "the answer's pattern (see Patterns); empty: no check"},
    {"password", "(required)", "its first character hides what is typed; empty: shown"},
    {"optional", "(required)", "\"1\" lets the answer stay empty"},
    kFore,
    kBack};
constexpr Attribute kList[] = {
    kType,
    kId,
    {"src", "(required)", "the entries, separated by |"},
    kOX,
    kOY,
    {"wdith", "(required)", "the width, twips (spelt so by the configuration: width is not read)"},
    kOHeight,
    {"optional", "(required)", "\"0\": at least one entry must be selected"},
    kFore,
    kBack};

constexpr ObjectKind kKinds[] = {
    {"label", "a caption; the question of the same id takes it as its text",
     "<object type=\"label\" id=\"1\" src=\"Product\" x=\"800\" y=\"1500\"/>", kLabel},
    {"img", "a picture",
     "<object type=\"img\" id=\"5\" src=\"WELCOME\" x=\"600\" y=\"1350\" width=\"2700\" "
     "height=\"2700\"/>",
     kImg},
    {"text", "a one-line text box",
     "<object type=\"text\" id=\"1\" src=\"\" x=\"3600\" y=\"1450\" width=\"4200\" height=\"330\" "
     "maxlength=\"60\" optional=\"1\"/>",
     kTextBox},
    {"textfield", "a text box, as text",
     "<object type=\"textfield\" id=\"3\" src=\"\" x=\"800\" y=\"3900\" width=\"8000\" "
     "height=\"330\"/>",
     kTextBox},
    {"date", "three lists: day, month, year",
     "<object type=\"date\" id=\"1\" src=\"d/m/y\" text=\"Day/Month/Year\" x=\"800\" y=\"1850\" "
     "patten=\"d\"/>",
     kDate},
    {"combo", "a drop-down list with an edit field",
     "<object type=\"combo\" id=\"2\" src=\"A friend|A magazine\" default=\"Please choose...\" "
     "x=\"5400\" y=\"2000\" width=\"3000\"/>",
     kCombo},
    {"list", "a list of several choices",
     "<object type=\"list\" id=\"2\" src=\"PC|Console\" x=\"5400\" y=\"3150\" wdith=\"3200\" "
     "height=\"1400\"/>",
     kList},
    {"radiobox", "options of which one is chosen",
     "<object type=\"radiobox\" id=\"3\" src=\"Yes|No\" x=\"1000|4600\" y=\"2900|2900\" "
     "width=\"3000\" default=\"0\"/>",
     kRadio},
    {"checkbox", "boxes that can each be ticked",
     "<object type=\"checkbox\" id=\"1\" src=\"Action|Puzzle\" x=\"1000|1000\" y=\"1950|2300\" "
     "width=\"3000\" optional=\"0\"/>",
     kCheck},
};

constexpr Pattern kPatterns[] = {
    {"n", "digits only"},
    {"a", "letters only (A to z, or any letter beyond ASCII)"},
    {"u", "the first character is a letter A to z"},
    {"m", "an e-mail address"},
    {"p", "a telephone number: digits, blanks and + ( ) * - /"},
    {"z", "a postal code of the form A9A 9A9"},
    {"d", "a past date, year/month/day, from 1753 on"},
    {"13 (a number)",
     "a date of birth: as d, and a player younger than the number meets the age limit's message"},
    {"@ or empty", "no check"},
};

// Prose for Markdown: element names in it are not taken for HTML tags.
QString prose(const char *text)
{
    return QString::fromUtf8(text)
        .replace(u'<', QLatin1String("&lt;"))
        .replace(u'>', QLatin1String("&gt;"));
}

QString sentence(const char *text)
{
    QString t = prose(text);
    if (!t.isEmpty())
        t[0] = t[0].toUpper();
    return t;
}

QString cell(const char *text)
{
    return prose(text).replace(u'|', QLatin1String("\\|"));
}

// Inline code; a grave accent inside needs a longer fence.
QString code(const char *text)
{
    const QString t = QString::fromUtf8(text);
    return t.contains(u'`') ? QStringLiteral("`` %1 ``").arg(t) : QStringLiteral("`%1`").arg(t);
}

QString attributeTable(std::span<const Attribute> attributes)
{
    QString out = QStringLiteral("| Attribute | Default | What it does |\n|---|---|---|\n");
    for (const Attribute &a : attributes)
        out += QStringLiteral("| `%1` | %2 | %3 |\n")
                   .arg(QString::fromUtf8(a.name), cell(a.byDefault), cell(a.what));
    return out;
}

} // namespace

std::span<const Element> elements()
{
    return kElements;
}

std::span<const ObjectKind> objectKinds()
{
    return kKinds;
}

std::span<const Pattern> patterns()
{
    return kPatterns;
}

const Element *findElement(const QString &name, const QString &parent)
{
    for (const Element &e : kElements)
        if (name == QLatin1String(e.name) && parent == QLatin1String(e.parent))
            return &e;
    return nullptr;
}

const ObjectKind *findObjectKind(const QString &type)
{
    for (const ObjectKind &k : kKinds)
        if (type == QLatin1String(k.type))
            return &k;
    return nullptr;
}

QStringList knownAttributes(const QString &element, const QString &parent,
                            const QString &objectType)
{
    QStringList names;
    const auto add = [&](std::span<const Attribute> attributes) {
        for (const Attribute &a : attributes)
            if (!names.contains(QLatin1String(a.name)))
                names.append(QLatin1String(a.name));
    };
    if (element == QLatin1String("object") && parent != QLatin1String("age")) {
        if (const ObjectKind *kind = findObjectKind(forms::trimBlanks(objectType).toLower())) {
            add(kind->attributes);
        } else {
            for (const ObjectKind &k : kKinds)
                add(k.attributes);
        }
        return names;
    }
    if (const Element *e = findElement(element, parent))
        add(e->attributes);
    return names;
}

QString nearestName(const QString &written, const QStringList &known)
{
    const QString w = written.toLower();
    // Edit distance with adjacent transpositions (maxlenght -> maxlength is one).
    const auto distance = [](const QString &a, const QString &b) {
        const qsizetype n = a.size(), m = b.size();
        QList<QList<int>> d(n + 1, QList<int>(m + 1, 0));
        for (qsizetype i = 0; i <= n; ++i)
            d[i][0] = int(i);
        for (qsizetype j = 0; j <= m; ++j)
            d[0][j] = int(j);
        for (qsizetype i = 1; i <= n; ++i)
            for (qsizetype j = 1; j <= m; ++j) {
                const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
                d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
                if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                    d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        return d[n][m];
    };
    QString best;
    int bestDistance = 3;
    for (const QString &k : known) {
        const int dist = distance(w, k);
        // Short names are near everything: one letter off at most for them.
        const int allowed = k.size() <= 3 ? 1 : 2;
        if (dist <= allowed && dist < bestDistance) {
            best = k;
            bestDistance = dist;
        }
    }
    return best;
}

bool isKnownPattern(const QString &code)
{
    const QString c = forms::trimBlanks(code);
    static const QStringList fixed = {
        QString(),           QStringLiteral("@"), QStringLiteral("n"),
        QStringLiteral("a"), QStringLiteral("u"), QStringLiteral("m"),
        QStringLiteral("p"), QStringLiteral("z"), QStringLiteral("d")};
    return fixed.contains(c) || forms::isNumeric(c);
}

QString referenceTables()
{
    QString out = QStringLiteral("### Elements\n\n");
    for (const Element &e : kElements) {
        out += QStringLiteral("#### `<%1>`").arg(QString::fromUtf8(e.name));
        if (*e.parent)
            out += QStringLiteral(" in `<%1>`").arg(QString::fromUtf8(e.parent));
        out += QStringLiteral("\n\n%1.").arg(sentence(e.what));
        if (e.textContent)
            out += QStringLiteral(" The value is the element's text.");
        out += QStringLiteral("\n\n") + code(e.example) + QStringLiteral("\n\n");
        if (!e.attributes.empty())
            out += attributeTable(e.attributes) + u'\n';
    }
    out += QStringLiteral("### Page objects\n\n`<object type=\"KIND\" ...>` under `<page>`, "
                          "`<welcome>` or `<userinfo>`.\n\n");
    for (const ObjectKind &k : kKinds) {
        out += QStringLiteral("#### `type=\"%1\"`\n\n%2.\n\n%3\n\n")
                   .arg(QString::fromUtf8(k.type), sentence(k.what), code(k.example));
        out += attributeTable(k.attributes) + u'\n';
    }
    out += QStringLiteral("### Patterns\n\nThe `patten` attribute (spelt so), compared exactly: "
                          "letter case matters.\n\n| `patten` | The answer must be |\n|---|---|\n");
    for (const Pattern &p : kPatterns)
        out += QStringLiteral("| `%1` | %2 |\n").arg(QString::fromUtf8(p.code), cell(p.what));
    return out;
}

} // namespace model::schema
