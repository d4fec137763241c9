#pragma once

// A main-window layout without the window class: the forms, the fixed
// controls and a wizard state, so the page builders can be run on their own.

#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/layouts/layouts.h"
#include "register/pages/page_objects.h"

#include <gtest/gtest.h>

#include <QWidget>

class PageFixture : public ::testing::Test {
  protected:
    PageFixture()
    {
        layouts::buildMainForm(form);
        state.defaultForeColor = QColor(0x11, 0x22, 0x33);
        state.defaultBackColor = QColor(0xEE, 0xEE, 0xEE);
        frame = form.control(QStringLiteral("frmPages"), 1);
    }

    // The one object of the markup, described for page 1.
    template <class T> T describe(const QString &objectXml)
    {
        const pages::PageDefinition d =
            pages::describePage(QStringLiteral("<page>") + objectXml + QStringLiteral("</page>"), 1,
                                QStringLiteral("question page 1"));
        for (const pages::PageProblem &p : d.problems)
            ADD_FAILURE() << p.toString().toStdString();
        EXPECT_EQ(d.objects.size(), 1);
        if (d.objects.isEmpty() || !std::holds_alternative<T>(d.objects[0]))
            return T{};
        return std::get<T>(d.objects[0]);
    }

    forms::Control *ctl(const QString &name) const { return form.control(name); }

    QWidget window;
    forms::Form form{&window};
    WizardState state;
    forms::Control *frame = nullptr;
};
