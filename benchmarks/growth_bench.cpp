// Work whose time must grow with the size of the configuration no faster than
// n log n. Each case runs at 1x, 2x and 4x one size: the ratio of the times
// shows the growth (about 2 and 4 when linear, 4 and 16 when quadratic).
//
//   CheckAgeEntries      register-config check with age entries for countries
//                        the list does not offer (each one a problem)
//   ListPage             entering and leaving a question page whose list has
//                        thousands of options
//   ProblemLog           a section with thousands of objects of an unknown
//                        type, each a problem: start-up and the first Next
//   NestedLanguages      tens of thousands of <language> elements nested in
//                        each other: start-up up to the first window
#include "register/wizard/main_form.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <utility>

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "growth_bench";
    static char *argv[] = {name, nullptr};
    // Never destroyed: among the static objects torn down at exit it would
    // outlive parts of Qt it still uses, and the run would end in a crash.
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

void writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

// One English section for every country: the texts, pictures and a welcome
// page the wizard needs, then whatever pages are given.
QString section(const QString &pages)
{
    return QStringLiteral(R"(
  <language id="english" country="else" width="9000" height="6000" title="Growth" forecolor="000000" backcolor="FFFFFF">
    <selectlanguage>Region</selectlanguage>
    <errorlanguage>Choose a language</errorlanguage>
    <errorregion>Choose a region</errorregion>
    <onlineonly>0</onlineonly>
    <dataerror>Wrong data</dataerror>
    <next src="NEXT" srcover="NEXT_OVER"/>
    <prev src="PREVIOUS" srcover="PREVIOUS_OVER"/>
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <welcome><object type="label" id="1" src="Welcome" x="800" y="1500"/></welcome>
    <userinfo><object type="label" id="1" src="About you" x="600" y="1250"/></userinfo>
    %1
  </language>)")
        .arg(pages);
}

QString document(const QString &afterCountries, const QString &sections)
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<register>
  <use_default>1</use_default>
  <default_language>english</default_language>
  <default_country>Canada</default_country>
  <default_gamename>Growth</default_gamename>
  <default_url>http://127.0.0.1:9/register.asp</default_url>
  <country src="Canada|France"/>
  %1
  %2
</register>
)")
        .arg(afterCountries, sections);
}

// A wizard over the document, its language and country given; in test mode
// (nocheck.txt: no page is checked) unless Checked.
struct Wizard {
    enum Mode { TestMode, Checked };
    explicit Wizard(const QString &config, Mode mode = TestMode)
    {
        application();
        writeFile(dir.filePath(QStringLiteral("config.xml")), config);
        if (mode == TestMode)
            writeFile(dir.filePath(QStringLiteral("nocheck.txt")), QString());
        WizardServices services;
        services.endProgram = [] {};
        window = std::make_unique<MainForm>(dir.path(),
                                            QStringList{QStringLiteral("/default=1"),
                                                        QStringLiteral("/language=english"),
                                                        QStringLiteral("/country=Canada")},
                                            services);
    }
    QTemporaryDir dir;
    std::unique_ptr<MainForm> window;
};

void CheckAgeEntries(benchmark::State &state)
{
    const int entries = int(state.range(0));
    QString ages = QStringLiteral("<age>");
    for (int i = 0; i < entries; ++i)
        ages += QStringLiteral(
                    R"(<object country="Nowhere %1" age="13" option="1" prompt="Too young"/>)")
                    .arg(i);
    ages += QStringLiteral(R"(<else age="13" option="0" prompt="Too young"/></age>)");
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("config.xml")), document(ages, section(QString())));
    for (auto _ : state) {
        QProcess check;
        check.setWorkingDirectory(dir.path());
        check.start(QStringLiteral(VELMORA_BIN_DIR "/register-config"), {QStringLiteral("check")});
        if (!check.waitForFinished(-1) || check.exitCode() != 1)
            state.SkipWithError("register-config check did not report the entries");
        check.readAllStandardOutput();
    }
    state.SetComplexityN(entries);
}

// Chooses the country and language on the region screen as a player would.
void chooseRegion(MainForm &window)
{
    const std::pair<const char *, const char *> choices[] = {{"cmbCountry", "Canada"},
                                                             {"cmbLanguage", "English"}};
    for (const auto &[name, wanted] : choices) {
        forms::Control *combo = window.ctl(QLatin1String(name));
        for (int i = 0; i < combo->itemCount(); ++i)
            if (combo->item(i) == QLatin1String(wanted))
                combo->setListIndex(i);
    }
}

// The options of the list shown on the first question page; none when that
// page with its list is not on screen.
QList<forms::Control *> optionsOnScreen(MainForm &window)
{
    if (window.state().stage != Stage::Pages || window.state().pageIndex != 1)
        return {};
    forms::Control *frame = window.ctl(QStringLiteral("frmPages"), 1);
    if (!frame || !frame->widget()->isVisibleTo(&window))
        return {};
    forms::Control *list = nullptr;
    for (forms::Control *c : window.form().controls())
        if (c->kind() == forms::Kind::ListBox && c->container() == frame)
            list = c;
    if (!list || !list->widget()->isVisibleTo(&window))
        return {};
    QList<forms::Control *> options;
    for (forms::Control *c : window.form().controls())
        if (c->container() == list && c->kind() == forms::Kind::CheckBox)
            options.append(c);
    return options;
}

// Clicks and lets the window settle what the click put on screen.
void click(MainForm &window, void (MainForm::*handler)())
{
    (window.*handler)();
    QCoreApplication::processEvents();
}

void ListPage(benchmark::State &state)
{
    const int options = int(state.range(0));
    QStringList names;
    for (int i = 0; i < options; ++i)
        names << QStringLiteral("Option %1").arg(i);
    // The list's page, then a second page for Next to lead to.
    const QString pages =
        QStringLiteral(R"(<page><object type="label" id="1" src="Which?" x="800" y="1200"/>
      <object type="list" id="1" src="%1" x="800" y="1500" wdith="3200" height="1400" optional="0"/></page>
      <page><object type="label" id="1" src="Thanks" x="800" y="1200"/></page>)")
            .arg(names.join(u'|'));
    const QString config = document(QString(), section(pages));
    for (auto _ : state) {
        state.PauseTiming();
        // Pages are checked as a player's are: leaving the list's page asks
        // for a chosen option.
        Wizard wizard(config, Wizard::Checked);
        MainForm &window = *wizard.window;
        window.Form_Load();
        window.show();
        QCoreApplication::processEvents();
        chooseRegion(window);
        click(window, &MainForm::cmdNext_Click); // the welcome page
        click(window, &MainForm::cmdNext_Click); // the personal page
        state.ResumeTiming();

        click(window, &MainForm::cmdNext_Click); // enters the list's page
        state.PauseTiming();
        const QList<forms::Control *> shown = optionsOnScreen(window);
        if (shown.size() != options) {
            state.SkipWithError("the question page does not show the list's options");
            break;
        }
        shown.last()->setValue(1); // the player picks the last option
        state.ResumeTiming();
        click(window, &MainForm::cmdNext_Click); // leaves it for the second page
        click(window, &MainForm::cmdPrev_Click); // enters it again
        click(window, &MainForm::cmdPrev_Click); // leaves it for the personal page
        if (window.state().stage != Stage::Pages || window.state().pageIndex != 0) {
            state.SkipWithError("the walk did not pass the list's page and come back");
            break;
        }
    }
    state.SetComplexityN(options);
}

void ProblemLog(benchmark::State &state)
{
    const int objects = int(state.range(0));
    QString page = QStringLiteral("<page>");
    for (int i = 0; i < objects; ++i)
        page += QStringLiteral(R"(<object type="slider" id="%1" x="800" y="1500"/>)").arg(i + 1);
    page += QStringLiteral("</page>");
    const QString config = document(QString(), section(page));
    for (auto _ : state) {
        state.PauseTiming();
        Wizard wizard(config);
        state.ResumeTiming();
        wizard.window->Form_Load();
        wizard.window->cmdNext_Click();
        benchmark::DoNotOptimize(wizard.window->state().problems.all().size());
    }
    state.SetComplexityN(objects);
}

void NestedLanguages(benchmark::State &state)
{
    const int depth = int(state.range(0));
    QString nested;
    nested.reserve(depth * 21);
    for (int i = 0; i < depth; ++i)
        nested += QStringLiteral("<language>");
    for (int i = 0; i < depth; ++i)
        nested += QStringLiteral("</language>");
    const QString config = document(QString(), section(QString()) + nested);
    for (auto _ : state) {
        state.PauseTiming();
        Wizard wizard(config);
        state.ResumeTiming();
        wizard.window->Form_Load();
        wizard.window->show();
        QCoreApplication::processEvents();
        wizard.window->close();
    }
    state.SetComplexityN(depth);
}

} // namespace

BENCHMARK(CheckAgeEntries)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ListPage)->Arg(625)->Arg(1250)->Arg(2500)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ProblemLog)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(NestedLanguages)
    ->Arg(6250)
    ->Arg(12500)
    ->Arg(25000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
