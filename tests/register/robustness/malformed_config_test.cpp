// A publisher's config.xml may be wrong in any attribute. Variants of the
// sample configuration, each with one attribute spoiled, removed or one
// element cut off, must neither crash nor hang the wizard: start-up, the
// page build and a walk through every page still run.
#include "register/dialogs/dlg_cancel.h"
#include "register/dialogs/dlg_error.h"
#include "register/wizard/main_form.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QString sample()
{
    return testsupport::readFile(testsupport::sourceDir() + "/register/sample/config.xml");
}

// Runs start-up, then Next through every page in test mode, answering any
// message dialog at once. Returns the number of screens reached.
int walk(const QString &config)
{
    QTemporaryDir dir;
    testsupport::writeFile(dir.path(), "config.xml", config);
    testsupport::writeFile(dir.path(), "nocheck.txt", "");
    WizardServices services;
    services.endProgram = [] {};
    MainForm w(dir.path(), {"/default=1", "/language=English", "/country=Canada"}, services);
    // A message or the register-later dialog must not block the walk.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&w] {
        if (w.errorDialog().isVisible())
            w.errorDialog().cmdQuit_Click();
        if (w.cancelDialog().isVisible())
            w.cancelDialog().cmdCancel_Click();
    });
    answer.start(0);
    w.Form_Load();
    int screens = 0;
    for (int i = 0; i < 25 && w.state().stage < 3; ++i) {
        const int before = w.state().stage * 100 + w.state().pageIndex;
        w.cmdNext_Click();
        ++screens;
        if (w.state().stage * 100 + w.state().pageIndex == before)
            break;
    }
    w.cmdPrev_Click();
    return screens;
}

TEST(MalformedConfig, TheSampleItselfWalksToTheLastPage)
{
    EXPECT_GE(walk(sample()), 5);
}

TEST(MalformedConfig, SpoiledAttributesNeitherCrashNorHang)
{
    const QString config = sample();
    const QRegularExpression attribute(QStringLiteral("\\s([a-z0-9_]+)=\"([^\"]*)\""));
    QList<QRegularExpressionMatch> matches;
    for (auto it = attribute.globalMatch(config); it.hasNext();)
        matches.append(it.next());
    ASSERT_GT(matches.size(), 100);

    const int kVariants = qEnvironmentVariableIntValue("VELMORA_VARIANTS") > 0
                              ? qEnvironmentVariableIntValue("VELMORA_VARIANTS")
                              : 400;
    const QStringList spoilers = {"", "x", "-99999", "1e9", "|||", "`", "FFFFFFFFF", "0"};
    QRandomGenerator random(20261208); // fixed: the same variants every run
    for (int n = 0; n < kVariants; ++n) {
        const QRegularExpressionMatch m = matches[random.bounded(int(matches.size()))];
        QString variant = config;
        if (random.bounded(4) == 0) {
            variant.remove(m.capturedStart(0), m.capturedLength(0));
        } else {
            const QString value = spoilers[random.bounded(int(spoilers.size()))];
            variant.replace(m.capturedStart(2), m.capturedLength(2), value);
        }
        SCOPED_TRACE(QStringLiteral("%1 of line %2")
                         .arg(m.captured(1))
                         .arg(config.left(m.capturedStart(0)).count(u'\n') + 1)
                         .toStdString());
        walk(variant);
    }
}

TEST(MalformedConfig, CutOffDocumentsShowAMessageAndStop)
{
    const QString config = sample();
    for (int cut : {10, 200, 1000, int(config.size() / 2), int(config.size()) - 20})
        walk(config.left(cut));
}

TEST(MalformedConfig, ElementsRemovedWholeStillWalk)
{
    const QString config = sample();
    for (const char *element :
         {"userinfo", "welcome", "cancelpage", "methodpage", "age", "welcomepic", "errorpage"}) {
        QString variant = config;
        const QRegularExpression whole(QStringLiteral("<%1[ >].*?</%1>").arg(element),
                                       QRegularExpression::DotMatchesEverythingOption);
        variant.replace(whole, QString());
        SCOPED_TRACE(element);
        walk(variant);
    }
}

} // namespace
