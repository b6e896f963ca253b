#pragma once

#include <QString>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
namespace app {
class TForm1;
}
namespace ui {
class DeviceListView;
}

namespace testsupport {

// The main window's controls a test works with as a user would: it types into the edits,
// clicks the buttons and reads what they show. Each is found by its object name, the
// component name the window gives it.
struct WindowParts {
    QComboBox* ComboBoxAdapter;
    QPushButton* ButtonScan;
    ui::DeviceListView* ListView1;
    QLineEdit* EditMacAddr;
    QLabel* LabelIpAddr;
    QLineEdit* EditIpAddr;
    QLineEdit* EditNetMask;
    QLineEdit* EditGatewayAddr;
    QCheckBox* CheckBoxDhcpEnabled;
    QPushButton* ButtonMoveIntoSubnet;
    QPushButton* ButtonSet;
    QPushButton* ButtonBlink;
    QPushButton* ButtonRestart;
    QMenu* File1;
    QAction* actBlink;
    QAction* actRestart;
};

// Throws std::logic_error when the window has no part of a name, or more than one: a test
// must never act on another control than it means to.
WindowParts partsOf(app::TForm1& form);

} // namespace testsupport
