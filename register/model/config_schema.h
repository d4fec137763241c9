#pragma once

// What config.xml may hold, as data: every element the readers know, where it
// stands, its attributes with their defaults, and what each does and where it
// shows; the kinds of page objects and the answer patterns. register-config
// checks attribute names against it (a misspelt optional attribute is
// otherwise lost without a word) and docs/config-reference.md is generated
// from it, so that the reference cannot drift from what is read.

#include <QString>
#include <QStringList>

#include <span>

namespace model::schema {

struct Attribute {
    const char *name;
    const char *byDefault; // what applies when it is absent
    const char *what;
};

struct Element {
    const char *name;
    // Where it stands: "register" (the root), "language", "userinfo",
    // "methodpage", "errorpage", "cancelpage", "age", "page", "welcome"; a
    // few names stand in several places, each listed once per place.
    const char *parent;
    const char *what; // what it does and where it shows
    const char *example;
    std::span<const Attribute> attributes;
    bool textContent = false; // the value is the element's text, not an attribute
};

// Page objects (<object type=".."> under <page>, <welcome> or <userinfo>).
struct ObjectKind {
    const char *type;
    const char *what;
    const char *example;
    std::span<const Attribute> attributes; // "type" included
};

struct Pattern {
    const char *code;
    const char *what;
};

std::span<const Element> elements();
std::span<const ObjectKind> objectKinds();
std::span<const Pattern> patterns();

// The element of that name under a parent of that name; nullptr when the
// readers know no such element there.
const Element *findElement(const QString &name, const QString &parent);
const ObjectKind *findObjectKind(const QString &type);

// The attribute names the readers know for this element (for an <object>,
// those of its kind; for an object of unknown kind, those of every kind).
QStringList knownAttributes(const QString &element, const QString &parent,
                            const QString &objectType = QString());

// The known name nearest to a misspelt one (at most two letters off, or the
// same letters in another order); empty when none is near.
QString nearestName(const QString &written, const QStringList &known);

// Whether the readers give `code` a meaning as an answer pattern (the fixed
// codes, "@", empty, or a whole number: a minimum age).
bool isKnownPattern(const QString &code);

// The reference's generated part: Markdown tables of the elements, object
// kinds and patterns.
QString referenceTables();

} // namespace model::schema
