#include "platform/forms/accessibility.h"

#include "platform/forms/picture_button.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QTimer>

namespace forms {

namespace {

class PictureButtonAccessible : public QAccessibleWidget {
  public:
    explicit PictureButtonAccessible(PictureButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction()) {
            // Pressed from the event loop, after the screen reader has its
            // answer: a click that opens a modal dialog would otherwise keep
            // the screen reader waiting until the dialog closes.
            if (widget()->isEnabled())
                QTimer::singleShot(0, static_cast<PictureButton *>(widget()),
                                   &PictureButton::click);
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString &actionName) const override
    {
        if (actionName == pressAction())
            return {QStringLiteral("Space"), QStringLiteral("Return")};
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }
};

// A combo box as Qt describes one (its popup list and edit field as children,
// its text as the value, opening and closing as actions), except that its
// name is the accessible name given to it.
class ComboBoxAccessible : public QAccessibleWidget {
  public:
    explicit ComboBoxAccessible(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
        if (t == QAccessible::Name && box()->accessibleName().isEmpty())
            return text(QAccessible::Value);
        // A list without an edit field has no child that shows its entry;
        // the entry is then what describes it, read after the name and role
        // ("Country, combo box, Canada").
        if (t == QAccessible::Description && !box()->isEditable() &&
            box()->accessibleDescription().isEmpty())
            return text(QAccessible::Value);
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return box()->isEditable() ? 2 : 1; }

    QAccessibleInterface *child(int index) const override
    {
        // The popup list is built on first use; asking for it builds it.
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (box()->isEditable() && child->object() == box()->lineEdit())
            return 1;
        if (child->object() == box()->view())
            return 0;
        return -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == showMenuAction() || actionName == pressAction()) {
            if (box()->view()->isVisible())
                box()->hidePopup();
            else
                box()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (!object->isWidgetType())
        return nullptr;
    if (className == QLatin1String(PictureButton::staticMetaObject.className()))
        return new PictureButtonAccessible(static_cast<PictureButton *>(object));
    if (className == QLatin1String(ComboBox::staticMetaObject.className()))
        return new ComboBoxAccessible(static_cast<ComboBox *>(object));
    return nullptr;
}

} // namespace

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    installAccessibility();
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!QAccessible::isActive() || isEditable())
            return;
        QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    });
}

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace forms
