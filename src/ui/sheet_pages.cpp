#include "ui/sheet_pages.h"

namespace ui {

void addSheet(QTabWidget& tabs, TabSheet& sheet) {
    int index = tabs.indexOf(&sheet);
    if (index < 0)
        index = tabs.addTab(&sheet, sheet.caption());
    tabs.setTabVisible(index, true);
}

void takeOutSheet(QTabWidget& tabs, TabSheet& sheet, QWidget& keeper) {
    const int index = tabs.indexOf(&sheet);
    if (index < 0)
        return;
    tabs.removeTab(index);
    sheet.hide();
    sheet.setParent(&keeper);
    if (tabs.count() > 0)
        tabs.setCurrentIndex(0);
}

} // namespace ui
