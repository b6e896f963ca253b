#include "ui/tab_sheet.h"

#include <QStackedWidget>

namespace ui {

void TabSheet::setCaption(const QString& value) {
    text = value;
    if (QTabWidget* tabs = tabWidget()) {
        const int index = tabs->indexOf(this);
        if (index >= 0)
            tabs->setTabText(index, value);
    }
}

QTabWidget* TabSheet::tabWidget() const {
    // Inside a QTabWidget a page's parent is the tab widget's internal stack.
    QWidget* stack = parentWidget();
    if (!qobject_cast<QStackedWidget*>(stack))
        return nullptr;
    return qobject_cast<QTabWidget*>(stack->parentWidget());
}

} // namespace ui
