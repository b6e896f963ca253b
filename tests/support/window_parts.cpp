#include "support/window_parts.h"

#include "app/form1.h"
#include "ui/device_list_view.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <stdexcept>
#include <string>

namespace testsupport {

namespace {

template <typename Part> Part* onlyPartNamed(app::TForm1& form, const char* name) {
    const QList<QObject*> named = form.findChildren<QObject*>(QLatin1String(name));
    if (named.size() != 1)
        throw std::logic_error("the main window has " + std::to_string(named.size()) +
                               " parts named " + name);
    auto* part = qobject_cast<Part*>(named.front());
    if (!part)
        throw std::logic_error(std::string("the main window's part ") + name +
                               " is of another kind");
    return part;
}

} // namespace

WindowParts partsOf(app::TForm1& form) {
    return {onlyPartNamed<QComboBox>(form, "ComboBoxAdapter"),
            onlyPartNamed<QPushButton>(form, "ButtonScan"),
            onlyPartNamed<ui::DeviceListView>(form, "ListView1"),
            onlyPartNamed<QLineEdit>(form, "EditMacAddr"),
            onlyPartNamed<QLabel>(form, "LabelIpAddr"),
            onlyPartNamed<QLineEdit>(form, "EditIpAddr"),
            onlyPartNamed<QLineEdit>(form, "EditNetMask"),
            onlyPartNamed<QLineEdit>(form, "EditGatewayAddr"),
            onlyPartNamed<QCheckBox>(form, "CheckBoxDhcpEnabled"),
            onlyPartNamed<QPushButton>(form, "ButtonMoveIntoSubnet"),
            onlyPartNamed<QPushButton>(form, "ButtonSet"),
            onlyPartNamed<QPushButton>(form, "ButtonBlink"),
            onlyPartNamed<QPushButton>(form, "ButtonRestart"),
            onlyPartNamed<QMenu>(form, "File1"),
            onlyPartNamed<QAction>(form, "actBlink"),
            onlyPartNamed<QAction>(form, "actRestart")};
}

} // namespace testsupport
