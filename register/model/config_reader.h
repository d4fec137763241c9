#pragma once

// The one way every part of the wizard reads config.xml: the two lookups, the
// numbers, colours and attributes, each with the rule the wizard applies when
// a value is missing or does not convert, and every such problem reported to
// the run's problem log with the place in config.xml where it stands.
//
// The chosen language section is parsed again on its own, so its elements know
// lines of that copy only; the reader maps each of them back to the element of
// config.xml it was copied from.

#include "platform/xml/xml_document.h"
#include "register/model/colour.h"
#include "register/model/config_problems.h"

#include <QHash>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>

namespace model {

// A language section in reports: its id, and its country when that is not "else".
QString sectionName(const xml::Node &section);

// The element as written, with those of the named attributes it has:
// <next src="NEXTT">. Without names, the element's name alone.
QString elementAsWritten(const xml::Node &node,
                         std::initializer_list<const char *> attributes = {});

class ConfigReader {
  public:
    // Reads `doc` and reports to `log`. When `doc` is a language section
    // parsed on its own, `source` is that section's element in config.xml.
    ConfigReader(const xml::Document &doc, ConfigProblems &log, xml::Node source = {});

    const xml::Document &document() const { return m_doc; }
    ConfigProblems &log() const { return m_log; }
    const QString &section() const { return m_section; }

    // The element of config.xml that `node` (an element of the document read)
    // stands for; `node` itself when the document is config.xml.
    xml::Node sourceOf(const xml::Node &node) const;

    // The first element the path matches, as every lookup takes it. A "//name"
    // whose first match lies inside another element while an element of that
    // name also stands directly under the root (a <cancel> choice of
    // <cancelpage> written before the <cancel> button) is reported with both lines.
    xml::Node select(const QString &path) const;
    // True for a "//name" match that select reported as taken from inside
    // another element: its own faults follow from that one mistake.
    bool misplaced(const xml::Node &node) const;
    // Like select; a missing element is reported, saying what happens instead.
    xml::Node require(const QString &path, const QString &instead) const;

    // A number attribute (decimal, rounded half to even, 16-bit). Absent:
    // nothing, silently. Present but not converting: reported, nothing.
    std::optional<int> number(const xml::Node &node, const char *attribute,
                              const QString &instead) const;
    // A colour attribute (hexadecimal BBGGRR). Absent: nothing, silently.
    // Present but not hexadecimal: reported, nothing.
    std::optional<Colour> colour(const xml::Node &node, const char *attribute,
                                 const QString &instead) const;
    // An attribute the element cannot do without: its absence is reported.
    std::optional<QString> required(const xml::Node &node, const char *attribute,
                                    const QString &instead) const;

    // Reports a problem of `node` (shown with the named attributes). A null
    // node stands for the section (or the root) itself.
    void report(const xml::Node &node, std::initializer_list<const char *> attributes,
                const QString &what, const QString &instead) const;
    // Reports a warning named `name` (see Severity) of `node`.
    void warn(const xml::Node &node, std::initializer_list<const char *> attributes,
              const QString &name, const QString &what, const QString &instead) const;
    // Reports a problem whose element is given as text, placed at `at`.
    void reportAt(const xml::Node &at, const QString &element, const QString &what,
                  const QString &instead, const QString &warningName = QString()) const;
    // "line 40" of an element, for problems that name a second place.
    QString lineOf(const xml::Node &node) const;

  private:
    const xml::Document &m_doc;
    ConfigProblems &m_log;
    xml::Node m_source;
    QString m_section;
    // Elements of the copy whose place in config.xml is known, with that
    // element: the children of a parent are matched up all at once, the first
    // time one of them is asked for, so a section of thousands of reports
    // pays for each list of siblings once. Kept for one content of the copy.
    mutable QHash<xml::Node, xml::Node> m_sources;
    mutable quint64 m_sourcesGeneration = 0;
};

// Controls placed on one window or frame, checked together: a control that
// lies wholly or partly outside, and input controls that overlap.
class Placement {
  public:
    Placement(const ConfigReader &reader, QSize area, QString areaName)
        : m_reader(reader), m_area(area), m_areaName(std::move(areaName))
    {
    }
    // `rect` in twips; `attributes` name what positions it, for the report.
    void add(const xml::Node &node, std::initializer_list<const char *> attributes,
             const QRect &rect, bool input);
    // Reports what lies outside and each overlapping pair of inputs, once.
    void check() const;

  private:
    struct Entry {
        xml::Node node;
        QString element;
        QRect rect;
        bool input;
    };
    const ConfigReader &m_reader;
    QSize m_area;
    QString m_areaName;
    QList<Entry> m_entries;
};

} // namespace model
