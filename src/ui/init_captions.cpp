#include "ui/init_captions.h"

#include "i18n/language_select.h"
#include "ui/panel.h"
#include "ui/tab_sheet.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>

namespace i18n {

namespace {

bool isTranslatable(const QObject* component) {
    const QString name = component->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1Char('N')))
        return false;
    // Qt names some of the children it creates itself (viewports, tab bars, the labels of
    // its own dialogs); they are not the program's components.
    return !name.startsWith(QStringLiteral("qt_"));
}

} // namespace

void applyCaption(QObject* component, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(component)) {
        if (!menu->title().isEmpty())
            menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(component)) {
        if (!action->text().isEmpty())
            action->setText(text);
    } else if (auto* checkBox = qobject_cast<QCheckBox*>(component)) {
        if (!checkBox->text().isEmpty())
            checkBox->setText(text);
    } else if (auto* panel = qobject_cast<ui::Panel*>(component)) {
        if (!panel->caption().isEmpty())
            panel->setCaption(text);
    } else if (auto* sheet = qobject_cast<ui::TabSheet*>(component)) {
        if (!sheet->caption().isEmpty())
            sheet->setCaption(text);
    } else if (auto* label = qobject_cast<QLabel*>(component)) {
        if (!label->text().isEmpty())
            label->setText(text);
    } else if (auto* widget = qobject_cast<QWidget*>(component); widget && widget->isWindow()) {
        if (!widget->windowTitle().isEmpty())
            widget->setWindowTitle(text);
    }
}

void initCaptions(LanguageSelect& language, QObject* component, const QString& lang) {
    if (!component)
        return;
    language.readFile(lang.isEmpty() ? language.defaultLangStr() : lang);
    // An unnamed component has no key; its caption would become an unrelated text.
    if (!component->objectName().isEmpty())
        applyCaption(component, language.translate(component->objectName()));
    // Depth first in child order: the order in which a window builds its components.
    const QList<QObject*> owned = component->findChildren<QObject*>();
    for (QObject* child : owned)
        if (isTranslatable(child))
            applyCaption(child, language.translate(child->objectName()));
}

} // namespace i18n
