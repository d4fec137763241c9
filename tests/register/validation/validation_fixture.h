#pragma once

// A main window with the fixed layout and no configuration, into whose page
// frames a test puts exactly the fields and holders it needs, named and
// recorded as the page build and start-up name and record them.

#include "platform/forms/form.h"
#include "register/wizard/main_form.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

class ValidationFixture : public ::testing::Test {
  protected:
    static constexpr int kPageCount = 2; // the welcome page is page 3

    void SetUp() override
    {
        state.normalMode = true;
        state.pageCount = kPageCount;
        state.dataErrorText = QStringLiteral("Some information is missing.");
        state.agePrompt = QStringLiteral("You are too young.");
    }

    void showPage(int stage, int pageIndex)
    {
        state.stage = Stage(stage);
        state.pageIndex = std::int16_t(pageIndex);
    }

    forms::Control *frame(int page)
    {
        return page == kPageCount + 1 ? form.control(QStringLiteral("frmWelcome"))
                                      : form.control(QStringLiteral("frmPages"), page);
    }

    static QString objectName(int page, const char *type, const QString &id)
    {
        return QStringLiteral("page_%1_%2_%3").arg(page).arg(QLatin1String(type), id);
    }

    forms::Control *holder(const QString &name, const QString &text, forms::Control *in)
    {
        forms::Control *h = form.create(forms::Kind::TextBox, name, -1, in);
        h->setVisible(false);
        h->setText(text);
        return h;
    }
    // The question of a page object, and its two holders recorded for it.
    built::Question &question(int page, const char *type, const QString &id)
    {
        return state.pageQuestions.pageObject(page, QLatin1String(type), id);
    }
    void holders(built::Question &q, const QString &n, const QString *pattern,
                 const QString &optional, forms::Control *in, const QString &tag = {})
    {
        if (pattern)
            state.pageQuestions.add(holder(n + QStringLiteral("_patten"), *pattern, in), q,
                                    built::Role::PatternHolder);
        forms::Control *h = holder(n + QStringLiteral("_optional"), optional, in);
        h->setTag(tag);
        state.pageQuestions.add(h, q, built::Role::OptionalHolder);
    }

    // A text field with its two holders; the optional holder's Tag is the
    // field's own message.
    forms::Control *textObject(int page, const QString &id, const QString &answer,
                               const QString &pattern, const QString &optional,
                               const QString &tag = {})
    {
        const QString n = objectName(page, "txt", id);
        forms::Control *input = form.create(forms::Kind::TextBox, n, -1, frame(page));
        input->setText(answer);
        built::Question &q = question(page, "txt", id);
        state.pageQuestions.add(input, q, built::Role::Own);
        holders(q, n, &pattern, optional, frame(page), tag);
        return input;
    }

    // Three editable lists y, m, d and the two holders; answers the day list.
    forms::Control *dateObject(int page, const QString &id, const QString &year,
                               const QString &month, const QString &day, const QString &pattern,
                               const QString &optional)
    {
        const QString n = objectName(page, "dat", id);
        const QString texts[] = {year, month, day};
        built::Question &q = question(page, "dat", id);
        for (int i = 0; i < 3; ++i) {
            const QString part = QStringLiteral("ymd").mid(i, 1);
            forms::Control *list = form.create(forms::Kind::ComboBox, n + part, -1, frame(page));
            list->setText(texts[i]);
            state.pageQuestions.add(list, q, built::Role::DateList, part);
        }
        holders(q, n, &pattern, optional, frame(page));
        return form.control(n + u'd');
    }

    // Check boxes N + "opt" + k, then the holder with the option count (or
    // "0"). A list puts its options inside a list box instead.
    QList<forms::Control *> choiceObject(int page, const char *type, const QString &id, int options,
                                         const QString &holderText, const QString &tag = {})
    {
        const QString n = objectName(page, type, id);
        built::Question &q = question(page, type, id);
        forms::Control *in = frame(page);
        if (QLatin1String(type) == QLatin1String("lst")) {
            in = form.create(forms::Kind::ListBox, n, -1, in);
            state.pageQuestions.add(in, q, built::Role::Own);
        }
        QList<forms::Control *> boxes;
        for (int k = 0; k < options; ++k) {
            const QString suffix = QStringLiteral("opt%1").arg(k);
            boxes << form.create(forms::Kind::CheckBox, n + suffix, -1, in);
            state.pageQuestions.add(boxes.last(), q, built::Role::Option, suffix);
        }
        holders(q, n, nullptr, holderText, frame(page), tag);
        return boxes;
    }

    // A personal field of the fixed layout gets its holders, as start-up
    // creates them inside the personal page.
    forms::Control *personalField(const char *input, const char *stem, const QString &answer,
                                  const QString &pattern, const QString &optional)
    {
        forms::Control *field = form.control(QLatin1String(input));
        field->setText(answer);
        field->setVisible(true);
        built::Question &q = state.personalFields.personalField(QLatin1String(stem));
        state.personalFields.add(field, q, built::Role::Own);
        state.personalFields.add(
            holder(QLatin1String(stem) + QStringLiteral("_patten"), pattern, frame(0)), q,
            built::Role::PatternHolder);
        state.personalFields.add(
            holder(QLatin1String(stem) + QStringLiteral("_optional"), optional, frame(0)), q,
            built::Role::OptionalHolder);
        return field;
    }

    bool hasFocus(const forms::Control *c) const { return window.focusWidget() == c->widget(); }

    QTemporaryDir dir;
    MainForm window{dir.path(), {}};
    forms::Form &form = window.form();
    WizardState &state = window.state();
    const QDate today{2024, 6, 15};
};
