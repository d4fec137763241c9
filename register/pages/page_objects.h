#pragma once

// The question pages as typed descriptions. A page's markup is read in one
// step into a list of objects, each with its attributes already converted, and
// a list of problems; the renderers then work from descriptions only, so a
// configuration fault is found and worded in one place and never reaches a
// control half-built.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <variant>

namespace pages {

// A colour attribute. Absent: the language's default colour applies. Present
// but not hexadecimal: the problem was reported and the control keeps its own
// colour, as the global settings treat such a value.
struct Colour {
    bool present = false;
    std::optional<QColor> value;
};

struct ImageObject {
    QString name;
    QString src; // resource name in the current language's section
    int x = 0, y = 0, width = 0, height = 0;
};

struct LabelObject {
    QString name;
    QString src; // caption; "`" stands for a line break
    Colour fore;
    int x = 0, y = 0;
};

struct TextObject {
    QString name;
    QString src; // initial text
    Colour fore, back;
    int x = 0, y = 0, width = 0, height = 0;
    int maxLength = 0; // 0: no limit
    QString patten;    // trimmed
    QString password;  // its first character masks the text
    QString optional;  // trimmed
};

struct DateObject {
    QString name;
    QChar separator;
    std::array<QString, 3> parts; // "y", "m", "d" in the configured order
    std::array<QString, 3> texts; // initial texts of the three lists
    Colour fore, back;
    int x = 0, y = 0;
    QString patten;   // trimmed
    QString optional; // trimmed
};

struct ComboObject {
    QString name;
    QStringList values;
    Colour fore, back;
    int x = 0, y = 0, width = 0;
    QString defaultText;
};

struct ListObject {
    QString name;
    QStringList values;
    Colour fore, back;
    int x = 0, y = 0, width = 0, height = 0; // width from the attribute "wdith"
    QString optional;
};

struct CheckObject {
    QString name;
    QStringList captions;
    QList<int> xs, ys; // at least one per caption
    Colour fore, back;
    int width = 0;
    QString optional;
    std::optional<QString> error;
};

struct RadioObject {
    QString name;
    QStringList captions;
    QList<int> xs, ys; // at least one per caption
    Colour fore, back;
    int width = 0;
    std::optional<int> defaultIndex; // none selected when absent
};

using PageObject = std::variant<ImageObject, LabelObject, TextObject, DateObject, ComboObject,
                                ListObject, CheckObject, RadioObject>;

// A problem of one page, tied to the object it belongs to so that the caller
// can name the object's place in config.xml.
struct PageProblem {
    int object = -1; // position among the page's "object" elements; -1: the page itself
    QString where;   // "question page 2, object 2 (type "radiobox", id "2")"
    QString what;    // what is wrong; what the wizard does instead
    QString toString() const { return where + QStringLiteral(": ") + what; }
};

struct PageDefinition {
    QList<PageObject> objects;   // document order, the objects that can be built
    QList<int> sources;          // for each of them, its position among the "object" elements
    QList<PageProblem> problems; // one per problem, with page, id and type
};

// Reads every "object" element of the page markup, at any depth. pageNumber
// goes into the control names (names::objectName); pageTitle names
// the page in problem reports ("question page 2", "the welcome page").
PageDefinition describePage(const QString &markup, int pageNumber, const QString &pageTitle);

} // namespace pages
