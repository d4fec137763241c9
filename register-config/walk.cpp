#include "register-config/walk.h"

#include "register-config/overflow.h"

#include "register/core/control_names.h"

#include "platform/forms/conversions.h"
#include "platform/printing/line_printer.h"
#include "platform/xml/encoding_check.h"
#include "platform/xml/xml_document.h"
#include "register/dialogs/dlg_error.h"
#include "register/rules/countries.h"
#include "register/submission/print_form.h"
#include "register/validation/age_limit.h"
#include "register/wizard/main_form.h"
#include "register/wizard/screens.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace regconfig {

namespace {

// The wizard compares ids and countries trimmed of blanks and in lower case
// when it chooses a section.
QString normalised(const QString &value)
{
    return forms::trimBlanks(value).toLower();
}

bool sameSection(const Section &a, const QString &id, const QString &country)
{
    return normalised(a.id) == normalised(id) && normalised(a.country) == normalised(country);
}

const Section *findSection(const QList<Section> &sections, const QString &id,
                           const QString &country)
{
    for (const Section &s : sections)
        if (sameSection(s, id, country))
            return &s;
    return nullptr;
}

// For an "else" section: the first listed country that sets this language in
// the language list and has no variant of its own, so that choosing it leads
// the wizard to exactly this section. "Other" when there is none.
QString countryFor(const Section &section, const QList<Section> &sections,
                   const QStringList &countries)
{
    for (const QString &country : countries) {
        const std::optional<CountryLanguage> entry = languageForCountry(country);
        if (!entry || normalised(entry->language) != normalised(section.id))
            continue;
        if (!findSection(sections, section.id, country))
            return country;
    }
    return QStringLiteral("Other");
}

} // namespace

bool Section::isCountryVariant() const
{
    return normalised(country) != QLatin1String("else");
}

QString Section::title() const
{
    return isCountryVariant() ? QStringLiteral("%1 (%2)").arg(id, country) : id;
}

QString Section::slug() const
{
    QString text = normalised(id);
    if (isCountryVariant())
        text += u'-' + normalised(country);
    QString slug;
    for (const QChar c : text) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            slug += c;
        else if (!slug.endsWith(u'-'))
            slug += u'-';
    }
    while (slug.endsWith(u'-'))
        slug.chop(1);
    return slug.isEmpty() ? QStringLiteral("section") : slug;
}

QList<Section> sectionsOf(const model::Configuration &config)
{
    QList<Section> sections;
    for (const model::LanguageSection &section : config.sections) {
        const QString id = forms::trimBlanks(section.id);
        const QString country = forms::trimBlanks(section.country);
        if (id.isEmpty() || country.isEmpty())
            continue;
        if (findSection(sections, id, country))
            continue;
        sections.append(Section{id, country, section.place.line});
    }
    return sections;
}

QList<Visit> visitsFor(const model::Configuration &config, const QString &language,
                       const QString &country)
{
    const QList<Section> sections = sectionsOf(config);
    const QStringList &countries = config.countries;
    QList<Visit> visits;
    if (country.isEmpty()) {
        for (const Section &s : sections) {
            if (!language.isEmpty() && normalised(s.id) != normalised(language))
                continue;
            visits.append(
                Visit{s, s.isCountryVariant() ? s.country : countryFor(s, sections, countries)});
        }
        return visits;
    }
    // One visit per language: the section a player of that country gets.
    QStringList languages;
    for (const Section &s : sections)
        if (!languages.contains(normalised(s.id)))
            languages.append(normalised(s.id));
    for (const QString &id : languages) {
        if (!language.isEmpty() && id != normalised(language))
            continue;
        const Section *s = findSection(sections, id, country);
        if (!s)
            s = findSection(sections, id, QStringLiteral("else"));
        if (s)
            visits.append(Visit{*s, forms::trimBlanks(country)});
    }
    return visits;
}

QImage picture(const Screen &screen)
{
    if (!screen.printed.isNull())
        return screen.printed;
    // A window lays out what it shows right after it is shown, before it is
    // first drawn; the event loop would run that work before any drawing.
    QCoreApplication::sendPostedEvents();
    QImage image = screen.window->grab().toImage();
    if (screen.dialog) {
        // Top-level positions: the offscreen platform draws no window frames,
        // so the difference of the two is where the dialog covers the window.
        // A thin line stands for the dialog's frame.
        QPainter painter(&image);
        const QPoint at = screen.dialog->pos() - screen.window->pos();
        painter.drawPixmap(at, screen.dialog->grab());
        painter.setPen(QColor(0x50, 0x50, 0x50));
        painter.drawRect(QRect(at, screen.dialog->size()).adjusted(-1, -1, 0, 0));
    }
    return image;
}

bool WizardFolder::prepare(const QString &configPath, QString *error)
{
    QByteArray bytes;
    if (const std::optional<QString> why = xml::readConfigurationFile(configPath, bytes)) {
        *error = QStringLiteral("%1: %2").arg(configPath, *why);
        return false;
    }
    if (const std::optional<xml::EncodingMismatch> m = xml::findEncodingMismatch(bytes)) {
        model::ConfigProblem problem;
        problem.line = m->line;
        problem.column = m->column;
        problem.what = m->what;
        problem.instead =
            m->kind == xml::EncodingMismatch::NotUtf8
                ? QStringLiteral("the wizard shows \"%1\"; declare <?xml version=\"1.0\" "
                                 "encoding=\"windows-1252\"?> in the first line, or save the "
                                 "file as UTF-8")
                      .arg(m->shown)
                : QStringLiteral("the wizard shows \"%1\"; declare encoding=\"UTF-8\"")
                      .arg(m->shown);
        m_fileProblems.append(problem);
    }
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid()) {
        *error = QStringLiteral("cannot make a temporary folder: %1").arg(dir->errorString());
        return false;
    }
    QFile copy(QDir(dir->path()).filePath(QStringLiteral("config.xml")));
    QFile marker(QDir(dir->path()).filePath(QStringLiteral("nocheck.txt")));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() ||
        !marker.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write to %1").arg(dir->path());
        return false;
    }
    copy.close();
    // The publisher's own pictures beside the configuration are the ones the
    // wizard finds beside itself once shipped.
    const QString own = QFileInfo(configPath).absoluteDir().filePath(QStringLiteral("pictures"));
    if (QFileInfo(own).isDir() &&
        !QFile::link(own, QDir(dir->path()).filePath(QStringLiteral("pictures")))) {
        *error = QStringLiteral("cannot write to %1").arg(dir->path());
        return false;
    }
    if (!m_config.load(copy.fileName())) {
        *error = m_config.errorString().replace(copy.fileName(), configPath);
        return false;
    }
    model::ConfigProblems unused;
    m_model = model::readConfiguration(m_config, unused);
    m_dir = std::move(dir);
    m_path = m_dir->path();
    return true;
}

WizardFolder::WizardFolder() = default;
WizardFolder::~WizardFolder() = default;

QImage printedFormPage(const forms::Form &form, WizardState &state)
{
    // Printed to a PDF file as a printer would take it, then its first page
    // turned into a picture by the PDF renderer of the system's tools.
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString pdf = dir.filePath(QStringLiteral("form.pdf"));
    {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (printing::printLines(
                printer, printedFormLines(state.gameName, gatherPrintedEntries(form, state))) == 0)
            return {};
    }
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                  QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                  QStringLiteral("1"), QStringLiteral("-singlefile"), pdf,
                  dir.filePath(QStringLiteral("page"))});
    if (!render.waitForFinished(30000) || render.exitStatus() != QProcess::NormalExit ||
        render.exitCode() != 0) {
        render.kill();
        render.waitForFinished(1000);
        return {};
    }
    return QImage(dir.filePath(QStringLiteral("page.png")));
}

VisitResult walk(const QString &appPath, const Visit &visit, const ScreenSink &sink,
                 bool printedForm)
{
    VisitResult result;
    WizardServices services;
    // Nothing the walk does may end the run or reach a printer.
    services.endProgram = [] {};
    services.choosePrinter = [](QPrinter &, QWidget *) { return false; };

    auto w = std::make_unique<MainForm>(appPath,
                                        QStringList{QStringLiteral("/language=") + visit.section.id,
                                                    QStringLiteral("/country=") + visit.country},
                                        services);
    MainForm &main = *w;
    WizardState &state = main.state();
    state.problems.setEcho(false);
    main.Form_Load();
    main.show();
    // The section's element of config.xml, where long texts are looked up.
    xml::Node sectionNode;
    for (const xml::Node &node : state.configDoc.selectNodes(QStringLiteral("//language")))
        if (node.line() == visit.section.line)
            sectionNode = node;
    const auto emitScreen = [&](const QString &key, const QString &caption,
                                QWidget *dialog = nullptr) {
        sink(Screen{key, caption, &main, dialog, QImage()});
        // Texts that run long on the window as drawn; the log keeps each
        // once and leaves out what the configuration accepts.
        if (!dialog && sectionNode)
            for (const model::ConfigProblem &p : overflowingTexts(&main, sectionNode))
                state.problems.report(p);
    };
    emitScreen(QStringLiteral("region"), QStringLiteral("Region and language"));

    // The region screen's choice, as the player makes it (a country asked for
    // in another letter case takes the list's spelling). A country the list
    // does not offer is typed into the country field after "Other".
    forms::Control *countryList = main.ctl(names::cmbCountry);
    countryList->setText(visit.country);
    if (countryList->text().compare(visit.country, Qt::CaseInsensitive) != 0) {
        countryList->setText(QStringLiteral("Other"));
        main.ctl(names::txtCountry)->setText(visit.country);
        state.countryName = visit.country;
    }
    // A variant whose language has no section for every other country is
    // never offered by the language list. It is still read and drawn, from an
    // entry added for the walk, so that its problems are found; the sheet
    // says that no player gets there.
    forms::Control *languageList = main.ctl(names::cmbLanguage);
    languageList->setText(visit.section.id);
    if (normalised(languageList->text()) != normalised(visit.section.id)) {
        result.unreachable = true;
        languageList->addItem(visit.section.id);
        languageList->setText(visit.section.id);
    }
    // Next with an empty choice would ask the player in a modal message, and
    // the walk has no player.
    if (countryList->text().isEmpty() || languageList->text().isEmpty()) {
        result.problems = state.problems.all();
        return result;
    }
    main.cmdNext_Click();

    const QString country = main.ctl(names::txtCountry)->text();
    result.country = country;
    emitScreen(QStringLiteral("welcome"), QStringLiteral("Welcome (age limit of %1)").arg(country));

    // The walk stands in for the player at the dialogs: each is pictured as
    // it stands and left with its OK (the message) or its Cancel (the
    // register-later dialog, back to the wizard).
    const auto pictureAndLeave = [&](const QString &key, const QString &caption) {
        return [&, key, caption](SkinnedDialog &shown) {
            emitScreen(key, caption, &shown);
            if (auto *message = qobject_cast<DlgError *>(&shown))
                message->answer(DlgError::Answer::Ok);
            else
                shown.cmdCancel_Click();
        };
    };
    DlgError &message = main.errorDialog();
    const auto showMessage = [&](const QString &key, const QString &caption, const QString &text,
                                 DlgError::Buttons buttons) {
        const SkinnedDialog::StandIn player(pictureAndLeave(key, caption));
        message.ask(text, buttons);
    };
    if (!state.agePrompt.isEmpty()) {
        // The age warning offers Cancel when the country lets a parent agree.
        showMessage(QStringLiteral("message-age"), QStringLiteral("Age prompt of %1").arg(country),
                    state.agePrompt,
                    state.ageOption != QLatin1String("1") ? DlgError::Buttons::Ok
                                                          : DlgError::Buttons::OkCancel);
    }

    {
        const SkinnedDialog::StandIn player(
            pictureAndLeave(QStringLiteral("register-later"), QStringLiteral("Register later")));
        main.DisplayCancelPage();
    }

    main.cmdNext_Click();
    emitScreen(QStringLiteral("personal"), QStringLiteral("Personal information"));
    showMessage(QStringLiteral("message-data-error"), QStringLiteral("Data error"),
                state.dataErrorText, DlgError::Buttons::Ok);

    while (state.pageIndex < state.pageCount) {
        main.cmdNext_Click();
        emitScreen(QStringLiteral("page-%1").arg(state.pageIndex, 2, 10, QLatin1Char('0')),
                   QStringLiteral("Question page %1").arg(state.pageIndex));
    }

    // Submit leads to the method screen; a section that registers online only
    // goes straight to the request, and never shows the printed thanks.
    if (!state.onlineOnly) {
        main.cmdSubmit_Click();
        emitScreen(QStringLiteral("method"), QStringLiteral("Method"));
    }
    // The screens that follow the request or the printer, shown as the
    // method screen's OK shows them once the answer is in. The request's
    // address shows on the thanks page in test mode only; the walk's test
    // mode is its own, so the player's view hides it.
    main.ctl(names::Text1)->setVisible(false);
    DisplayThanksOnline(main.form(), state);
    emitScreen(QStringLiteral("thanks-online"), QStringLiteral("Thanks (online)"));
    if (!state.onlineOnly) {
        DisplayThanksPrint(main.form(), state);
        emitScreen(QStringLiteral("thanks-print"), QStringLiteral("Thanks (printed form)"));
        if (printedForm) {
            // The form names the product a question page may have named,
            // as printing does; the game name is kept for the screens after.
            const QString gameName = state.gameName;
            const QImage page = printedFormPage(main.form(), state);
            state.gameName = gameName;
            if (!page.isNull())
                sink(Screen{QStringLiteral("printed-form"),
                            QStringLiteral("Printed form (first page)"), &main, nullptr, page});
        }
    }
    state.submitResult = SubmitResult::NoUsableReply;
    DisplayErrorOnline(main.form(), state);
    emitScreen(QStringLiteral("error-not-online"), QStringLiteral("Error: server not reached"));
    state.submitResult = SubmitResult::WrongForm;
    DisplayErrorOnline(main.form(), state);
    emitScreen(QStringLiteral("error-refused"), QStringLiteral("Error: registration refused"));

    // The welcome page read the age limit of one country only. Every entry of
    // the age list is read once more, through the same reader, so that a
    // mistake in any country's entry is found whichever country was chosen.
    QStringList ageCountries;
    const xml::Node ages = state.configDoc.selectSingleNode(QStringLiteral("//age"));
    for (const xml::Node &entry : ages.children(QStringLiteral("object")))
        if (const std::optional<QString> name = entry.attribute(QStringLiteral("country")))
            ageCountries.append(*name);
    ageCountries.append(QStringLiteral("Other"));
    LoadAgeLimits(main.form(), state, ageCountries);

    result.problems = state.problems.all();
    return result;
}

} // namespace regconfig
