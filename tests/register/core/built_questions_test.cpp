// The record of what the pages built: which question a control belongs to
// and what it is there, whatever the control is named.
#include "register/core/built_questions.h"

#include "platform/forms/form.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

using built::Role;

class BuiltQuestions : public ::testing::Test {
  protected:
    forms::Control *make(const char *name, forms::Kind kind = forms::Kind::TextBox)
    {
        return form.create(kind, QLatin1String(name));
    }
    QWidget window;
    forms::Form form{&window};
    built::Questions record;
};

TEST_F(BuiltQuestions, ObjectsOfOneNameShareTheirQuestion)
{
    const struct {
        const char *name;
        int page;
        const char *code;
        const char *id;
        bool same; // the same question as page 1, "chk", "3a"
    } rows[] = {
        {"same id", 1, "chk", "3a", true},
        {"an id differing in case only, as control names do", 1, "chk", "3A", true},
        {"another page", 2, "chk", "3a", false},
        {"another type", 1, "lst", "3a", false},
        {"another id", 1, "chk", "3", false},
    };
    const built::Question &first = record.pageObject(1, QLatin1String("chk"), "3a");
    const int number = first.number;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const built::Question &q =
            record.pageObject(row.page, QLatin1String(row.code), QLatin1String(row.id));
        EXPECT_EQ(q.number == number, row.same);
        EXPECT_EQ(record.find(row.page, QLatin1String(row.code), QLatin1String(row.id)), &q);
    }
    EXPECT_EQ(record.find(3, QLatin1String("chk"), "3a"), nullptr);
}

TEST_F(BuiltQuestions, AControlIsToldByTheObjectThatBuiltIt)
{
    forms::Control *a = make("a", forms::Kind::CheckBox);
    forms::Control *b = make("b", forms::Kind::CheckBox);
    forms::Control *holder = make("h");
    built::Question &q = record.pageObject(1, QLatin1String("chk"), "3");
    record.add(a, q, Role::Option, "opt0");
    record.add(b, q, Role::Option, "opt1");
    record.add(holder, q, Role::OptionalHolder);
    // A second object of the same name finds the same controls and adds one.
    forms::Control *c = make("c", forms::Kind::CheckBox);
    built::Question &again = record.pageObject(1, QLatin1String("chk"), "3");
    record.add(a, again, Role::Option, "opt0");
    record.add(b, again, Role::Option, "opt1");
    record.add(c, again, Role::Option, "opt2");
    record.add(nullptr, again, Role::Option, "opt3");

    const built::Question &built = *record.find(1, QLatin1String("chk"), "3");
    EXPECT_EQ(built.option(0), a);
    EXPECT_EQ(built.option(1), b);
    EXPECT_EQ(built.option(2), c);
    EXPECT_EQ(built.option(3), nullptr);
    EXPECT_EQ(built.options.size(), 3);
    EXPECT_EQ(built.optionalHolder.data(), holder);

    ASSERT_NE(record.partOf(b), nullptr);
    EXPECT_EQ(record.partOf(b)->suffix, "opt1");
    EXPECT_EQ(&record.question(*record.partOf(b)), &built);
    // A holder is a holder only; an unknown control is nothing.
    EXPECT_EQ(record.partOf(holder), nullptr);
    ASSERT_NE(record.holderOf(holder), nullptr);
    EXPECT_EQ(record.holderOf(holder)->role, Role::OptionalHolder);
    EXPECT_EQ(record.holderOf(a), nullptr);
    EXPECT_EQ(record.partOf(make("other")), nullptr);
}

TEST_F(BuiltQuestions, AControlThatIsGoneIsNoLongerTold)
{
    forms::Control *list = make("y", forms::Kind::ComboBox);
    built::Question &q = record.pageObject(1, QLatin1String("dat"), "0");
    record.add(list, q, Role::DateList, "y");
    EXPECT_EQ(q.dateList(u"y"), list);
    EXPECT_EQ(q.dateList(u"m"), nullptr);
    form.remove(list);
    EXPECT_EQ(q.dateList(u"y"), nullptr);
    // What takes its place (perhaps at its address) is unknown until recorded.
    forms::Control *next = make("y2", forms::Kind::ComboBox);
    EXPECT_EQ(record.partOf(next), nullptr);
    record.clear();
    EXPECT_TRUE(record.isEmpty());
    EXPECT_EQ(record.find(1, QLatin1String("dat"), "0"), nullptr);
}

} // namespace
