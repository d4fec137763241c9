// Building and tearing down the question pages of a maximal configuration
// (20 question pages of 30 objects each, mixed types, plus the personal and
// welcome pages), against the floor: creating and deleting the same number of
// bare Qt widgets of the same kinds in the same run.
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/layouts/layouts.h"
#include "register/pages/containers.h"
#include "register/pages/page_builder.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>

#include <map>
#include <memory>

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "page_build_bench";
    static char *argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

// Ten objects of the mixed kinds a question page holds; three rounds make a
// page of 30, the first label of a page replaced by its picture.
QString pageMarkup(int page)
{
    QString out = QStringLiteral("<page>");
    for (int round = 0; round < 3; ++round) {
        const int y = 200 + round * 1800;
        auto id = [round](int k) { return QString::number(round * 10 + k); };
        out +=
            round == 0 && page > 0
                ? QStringLiteral(
                      R"(<object type="img" id="%1" src="WELCOME" x="100" y="%2" width="900" height="900"/>)")
                      .arg(id(0))
                      .arg(y)
                : QStringLiteral(
                      R"(<object type="label" id="%1" src="Question %1`second line" x="100" y="%2"/>)")
                      .arg(id(0))
                      .arg(y);
        out +=
            QStringLiteral(
                R"(<object type="text" id="%1" src="" x="1000" y="%2" width="2000" height="330" maxlength="40" patten="" password="" optional="1"/>)")
                .arg(id(1))
                .arg(y);
        out += QStringLiteral(R"(<object type="label" id="%1" src="Date" x="3100" y="%2"/>)")
                   .arg(id(2))
                   .arg(y);
        out +=
            QStringLiteral(
                R"(<object type="date" id="%1" src="d/m/y" text="Day/Month/Year" x="3600" y="%2" patten="d" optional="1"/>)")
                .arg(id(3))
                .arg(y);
        out += QStringLiteral(R"(<object type="label" id="%1" src="Pick one" x="100" y="%2"/>)")
                   .arg(id(4))
                   .arg(y + 400);
        out +=
            QStringLiteral(
                R"(<object type="combo" id="%1" src="A|B|C|D|E" x="1000" y="%2" width="2000" default="Choose"/>)")
                .arg(id(5))
                .arg(y + 400);
        out +=
            QStringLiteral(
                R"(<object type="textfield" id="%1" src="" x="3100" y="%2" width="2000" height="330" maxlength="0" patten="" password="" optional="1"/>)")
                .arg(id(6))
                .arg(y + 400);
        out +=
            QStringLiteral(
                R"(<object type="radiobox" id="%1" src="a|b|c" x="100|100|100" y="%2|%3|%4" width="1500" default="0"/>)")
                .arg(id(7))
                .arg(y + 800)
                .arg(y + 1100)
                .arg(y + 1400);
        out +=
            QStringLiteral(
                R"(<object type="checkbox" id="%1" src="a|b|c" x="1700|1700|1700" y="%2|%3|%4" width="1500" optional="0" error="Tick one"/>)")
                .arg(id(8))
                .arg(y + 800)
                .arg(y + 1100)
                .arg(y + 1400);
        out +=
            QStringLiteral(
                R"(<object type="list" id="%1" src="a|b|c|d|e|f" x="3400" y="%2" wdith="2400" height="900" optional="1"/>)")
                .arg(id(9))
                .arg(y + 800);
    }
    return out + QStringLiteral("</page>");
}

struct Wizard {
    Wizard()
    {
        layouts::buildMainForm(form);
        state.currentLanguage = QStringLiteral("English");
        state.pageCount = 20;
        for (int i = 0; i <= 20; ++i)
            state.pages[i] = model::describePage(pageMarkup(i), QStringLiteral("page"));
        state.welcomePage = model::describePage(pageMarkup(21), QStringLiteral("welcome page"));
    }
    QWidget window;
    forms::Form form{&window};
    WizardState state;
};

const QDate kToday(2030, 6, 15);

void BM_BuildAndTearDownPages(benchmark::State &s)
{
    application();
    Wizard w;
    qsizetype controls = 0;
    for (auto _ : s) {
        LoadPageSetting(w.form, w.state, kToday);
        controls = w.form.count();
        // In the wizard the event loop runs between Next and Previous.
        QCoreApplication::sendPostedEvents();
        RemoveAllObject(w.form);
    }
    s.counters["controls"] = double(controls);
}
BENCHMARK(BM_BuildAndTearDownPages)->Unit(benchmark::kMillisecond);

// The kinds and numbers of widgets one build creates, counted once.
std::map<forms::Kind, int> controlsOfOneBuild()
{
    Wizard w;
    const int design = w.form.count();
    LoadPageSetting(w.form, w.state, kToday);
    std::map<forms::Kind, int> kinds;
    for (forms::Control *c : w.form.controls())
        if (!c->isDesignTime())
            ++kinds[c->kind()];
    (void)design;
    return kinds;
}

// The floor: the same widgets, bare, created in one frame per page and
// deleted again; no names, no lookups, no configuration.
void BM_BareWidgetsFloor(benchmark::State &s)
{
    application();
    const std::map<forms::Kind, int> kinds = controlsOfOneBuild();
    QWidget window;
    const int pages = 22;
    for (auto _ : s) {
        std::vector<QFrame *> frames;
        for (int p = 0; p < pages; ++p)
            frames.push_back(new QFrame(&window));
        int n = 0;
        for (const auto &[kind, count] : kinds) {
            for (int i = 0; i < count; ++i, ++n) {
                QWidget *parent = frames[n % pages];
                switch (kind) {
                case forms::Kind::TextBox:
                    new QLineEdit(parent);
                    break;
                case forms::Kind::ComboBox: {
                    auto *c = new QComboBox(parent);
                    c->setEditable(true);
                    break;
                }
                case forms::Kind::OptionButton:
                    new QRadioButton(parent);
                    break;
                case forms::Kind::CheckBox:
                    new QCheckBox(parent);
                    break;
                case forms::Kind::Label:
                case forms::Kind::Image:
                case forms::Kind::PictureButton:
                    new QLabel(parent);
                    break;
                case forms::Kind::Frame:
                    new QFrame(parent);
                    break;
                case forms::Kind::ListBox: {
                    auto *a = new QScrollArea(parent);
                    a->setWidget(new QWidget);
                    break;
                }
                }
            }
        }
        QCoreApplication::sendPostedEvents();
        qDeleteAll(frames);
    }
    int total = 0;
    for (const auto &[kind, count] : kinds)
        total += count;
    s.counters["widgets"] = total;
}
BENCHMARK(BM_BareWidgetsFloor)->Unit(benchmark::kMillisecond);

} // namespace
