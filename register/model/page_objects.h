#pragma once

// The question pages as typed descriptions. A page's markup is read in one
// step into a list of objects, each with its attributes already converted, and
// a list of problems; the renderers then work from descriptions only, so a
// configuration fault is found and worded in one place and never reaches a
// control half-built.

#include "register/model/colour.h"

#include "platform/xml/xml_document.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <variant>

namespace model {

// A colour attribute. Absent: the language's default colour applies. Present
// but not hexadecimal: the problem was reported and the control keeps its own
// colour, as the global settings treat such a value.
struct ColourSetting {
    bool present = false;
    std::optional<Colour> value;
};

// Every object keeps its id as written and the name of the control the wizard
// builds for it. The model leaves the name empty: the wizard's page builder
// names the objects of the page it builds (pages::describePage).
struct ImageObject {
    QString id;
    QString name;
    QString src; // resource name in the current language's section
    int x = 0, y = 0, width = 0, height = 0;
};

struct LabelObject {
    QString id;
    QString name;
    QString src; // caption; "`" stands for a line break
    ColourSetting fore;
    int x = 0, y = 0;
};

struct TextObject {
    QString id;
    QString name;
    QString src; // initial text
    ColourSetting fore, back;
    int x = 0, y = 0, width = 0, height = 0;
    int maxLength = 0; // 0: no limit
    QString patten;    // trimmed
    QString password;  // its first character masks the text
    QString optional;  // trimmed
};

struct DateObject {
    QString id;
    QString name;
    QChar separator;
    std::array<QString, 3> parts; // "y", "m", "d" in the configured order
    std::array<QString, 3> texts; // initial texts of the three lists
    ColourSetting fore, back;
    int x = 0, y = 0;
    QString patten;   // trimmed
    QString optional; // trimmed
};

struct ComboObject {
    QString id;
    QString name;
    QStringList values;
    ColourSetting fore, back;
    int x = 0, y = 0, width = 0;
    QString defaultText;
};

struct ListObject {
    QString id;
    QString name;
    QStringList values;
    ColourSetting fore, back;
    int x = 0, y = 0, width = 0, height = 0; // width from the attribute "wdith"
    QString optional;
};

struct CheckObject {
    QString id;
    QString name;
    QStringList captions;
    QList<int> xs, ys; // at least one per caption
    ColourSetting fore, back;
    int width = 0;
    QString optional;
    std::optional<QString> error;
};

struct RadioObject {
    QString id;
    QString name;
    QStringList captions;
    QList<int> xs, ys; // at least one per caption
    ColourSetting fore, back;
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

// Where an element stands in config.xml: 1-based line and column of its "<",
// 0 when unknown (markup read on its own).
struct Place {
    int line = 0;
    int column = 0;
    friend bool operator==(const Place &, const Place &) = default;
};

struct PageDefinition {
    QList<PageObject> objects;   // document order, the objects that can be built
    QList<int> sources;          // for each of them, its position among the "object" elements
    QList<Place> places;         // for each of them, where its element stands
    QList<PageProblem> problems; // one per problem, with page, id and type
};

// Reads the "object" elements given, in their order. pageTitle names the
// page in problem reports ("question page 2", "welcome page").
PageDefinition describeObjects(const QList<xml::Node> &objects, const QString &pageTitle);
// Reads every "object" element of the page markup, at any depth.
PageDefinition describePage(const QString &markup, const QString &pageTitle);

} // namespace model
