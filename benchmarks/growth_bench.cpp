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

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "growth_bench";
    static char *argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
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

// A wizard over the document in test mode (nocheck.txt: no page is checked),
// its language and country chosen.
struct Wizard {
    explicit Wizard(const QString &config)
    {
        application();
        writeFile(dir.filePath(QStringLiteral("config.xml")), config);
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

void ListPage(benchmark::State &state)
{
    const int options = int(state.range(0));
    QStringList names;
    for (int i = 0; i < options; ++i)
        names << QStringLiteral("Option %1").arg(i);
    const QString page =
        QStringLiteral(R"(<page><object type="label" id="1" src="Which?" x="800" y="1200"/>
      <object type="list" id="1" src="%1" x="800" y="1500" width="3200" height="1400" optional="1"/></page>)")
            .arg(names.join(u'|'));
    Wizard wizard(document(QString(), section(page)));
    wizard.window->Form_Load();
    // Region, welcome, personal page: the question page is the next one.
    for (int i = 0; i < 3; ++i)
        wizard.window->cmdNext_Click();
    for (auto _ : state) {
        wizard.window->cmdNext_Click(); // enters the page
        wizard.window->cmdPrev_Click(); // leaves it
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
    ->Arg(125)
    ->Arg(250)
    ->Arg(500)
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
