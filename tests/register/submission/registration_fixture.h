#pragma once

// A main window's control collection with the fixed layout, and helpers that
// add question-page controls the way the page builder names and records
// them, so the submission rules can be tried without a configuration.

#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/layouts/layouts.h"

#include <QWidget>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>

class RegistrationFixture {
  public:
    RegistrationFixture() : m_form(&m_window)
    {
        layouts::buildMainForm(m_form);
        state.registrationUrl = QStringLiteral("U");
        state.gameName = QStringLiteral("Demo Game");
        state.currentLanguage = QStringLiteral("English");
        state.pageCount = 1;
    }

    forms::Form &form() { return m_form; }
    forms::Control *ctl(const QString &name, int index = -1) { return m_form.control(name, index); }
    forms::Control *page(int n) { return ctl(QStringLiteral("frmPages"), n); }

    // Shows only the named personal fields (by key: "FirstName", "Email", ...)
    // and fills them.
    void personal(std::initializer_list<std::pair<const char *, const char *>> shown)
    {
        for (const char *key : {"FirstName", "LastName", "Address1", "Address2", "City", "State",
                                "Zip", "Country", "Phone", "Email", "Login"})
            ctl(QStringLiteral("lbl") + QLatin1String(key))->setVisible(false);
        for (const auto &[key, value] : shown) {
            forms::Control *label = ctl(QStringLiteral("lbl") + QLatin1String(key));
            label->setVisible(true);
            label->setText(QStringLiteral("Your ") + QLatin1String(key));
            ctl(QStringLiteral("txt") + QLatin1String(key))->setText(QString::fromUtf8(value));
        }
    }

    // The welcome page's birth label and date boxes (page pageCount + 1).
    void birth(const QString &y, const QString &m, const QString &d, bool labelVisible = true)
    {
        const QString p = QStringLiteral("page_%1_").arg(state.pageCount + 1);
        forms::Control *welcome = ctl(QStringLiteral("frmWelcome"));
        const int welcomePage = state.pageCount + 1;
        forms::Control *label = m_form.create(forms::Kind::Label, p + "lbl_0", -1, welcome);
        label->setText(QStringLiteral("Date of birth"));
        label->setVisible(labelVisible);
        record(label, question(welcomePage, "lbl", "0"), built::Role::Own);
        built::Question &date = question(welcomePage, "dat", "0");
        for (const auto &[part, text] : {std::pair{"y", y}, {"m", m}, {"d", d}}) {
            forms::Control *list =
                m_form.create(forms::Kind::ComboBox, p + "dat_0" + part, -1, welcome);
            list->setText(text);
            record(list, date, built::Role::DateList, QLatin1String(part));
        }
    }

    // A question-page date: three editable lists N + part, in the format's
    // order, with their separator labels N + "lbl" + part.
    void date(int pageNo, const QString &id, std::initializer_list<std::pair<char, QString>> parts)
    {
        const QString n = name(pageNo, "dat", id);
        built::Question &q = question(pageNo, "dat", id);
        for (const auto &[part, text] : parts) {
            forms::Control *list =
                m_form.create(forms::Kind::ComboBox, n + QLatin1Char(part), -1, page(pageNo));
            list->setText(text);
            record(list, q, built::Role::DateList, QString(QLatin1Char(part)));
            forms::Control *separator =
                m_form.create(forms::Kind::Label, n + "lbl" + QLatin1Char(part), -1, page(pageNo));
            separator->setText("/");
            record(separator, q, built::Role::DateSeparator, "lbl" + QString(QLatin1Char(part)));
        }
    }

    forms::Control *label(int pageNo, const QString &id, const QString &caption)
    {
        forms::Control *c = add(forms::Kind::Label, pageNo, "lbl", id);
        c->setText(caption);
        return c;
    }
    forms::Control *text(int pageNo, const QString &id, const QString &value)
    {
        forms::Control *c = add(forms::Kind::TextBox, pageNo, "txt", id);
        c->setText(value);
        return c;
    }
    // An option group: frame "frm_<N>" with buttons "<N>opt<k>"; selected: k or -1.
    void options(int pageNo, const QString &id, const QStringList &captions, int selected)
    {
        const QString n = name(pageNo, "rad", id);
        built::Question &q = question(pageNo, "rad", id);
        forms::Control *group =
            m_form.create(forms::Kind::Frame, QStringLiteral("frm_") + n, -1, page(pageNo));
        record(group, q, built::Role::Group);
        for (int k = 0; k < captions.size(); ++k) {
            const QString suffix = QStringLiteral("opt%1").arg(k);
            forms::Control *b = m_form.create(forms::Kind::OptionButton, n + suffix, -1, group);
            b->setText(captions[k]);
            b->setValue(k == selected ? 1 : 0);
            record(b, q, built::Role::Option, suffix);
        }
    }
    void checks(int pageNo, const QString &id, const QStringList &captions,
                std::initializer_list<int> ticked)
    {
        const QString n = name(pageNo, "chk", id);
        built::Question &q = question(pageNo, "chk", id);
        for (int k = 0; k < captions.size(); ++k) {
            const QString suffix = QStringLiteral("opt%1").arg(k);
            forms::Control *b = m_form.create(forms::Kind::CheckBox, n + suffix, -1, page(pageNo));
            b->setText(captions[k]);
            b->setValue(std::find(ticked.begin(), ticked.end(), k) != ticked.end());
            record(b, q, built::Role::Option, suffix);
        }
    }
    // A list: ListBox "<N>" holding CheckBox options "<N>opt<k>".
    void list(int pageNo, const QString &id, const QStringList &captions,
              std::initializer_list<int> selected)
    {
        const QString n = name(pageNo, "lst", id);
        built::Question &q = question(pageNo, "lst", id);
        forms::Control *box = m_form.create(forms::Kind::ListBox, n, -1, page(pageNo));
        record(box, q, built::Role::Own);
        for (int k = 0; k < captions.size(); ++k) {
            const QString suffix = QStringLiteral("opt%1").arg(k);
            forms::Control *b = m_form.create(forms::Kind::CheckBox, n + suffix, -1, box);
            b->setText(captions[k]);
            b->setValue(std::find(selected.begin(), selected.end(), k) != selected.end());
            record(b, q, built::Role::Option, suffix);
        }
    }
    // An answer combo: the next element of page_spe_cmb_Answer, Tag = N.
    void combo(int pageNo, const QString &id, const QString &answer)
    {
        const int index = int(m_form.family(QStringLiteral("page_spe_cmb_Answer")).size());
        forms::Control *c = m_form.create(
            forms::Kind::ComboBox, QStringLiteral("page_spe_cmb_Answer"), index, page(pageNo));
        c->setTag(name(pageNo, "cbo", id));
        c->setText(answer);
        record(c, question(pageNo, "cbo", id), built::Role::AnswerList);
    }

    WizardState state;

  private:
    static QString name(int pageNo, const char *code, const QString &id)
    {
        return QStringLiteral("page_%1_%2_").arg(pageNo).arg(QLatin1String(code)) + id;
    }
    forms::Control *add(forms::Kind kind, int pageNo, const char *code, const QString &id)
    {
        forms::Control *c = m_form.create(kind, name(pageNo, code, id), -1, page(pageNo));
        record(c, question(pageNo, code, id), built::Role::Own);
        return c;
    }
    built::Question &question(int pageNo, const char *code, const QString &id)
    {
        return state.pageQuestions.pageObject(pageNo, QLatin1String(code), id);
    }
    void record(forms::Control *c, built::Question &q, built::Role role, const QString &suffix = {})
    {
        state.pageQuestions.add(c, q, role, suffix);
    }

    QWidget m_window;
    forms::Form m_form;
};
