#pragma once

#include "app/state_texts.h"
#include "engine/adapter_subnet.h"
#include "engine/device_engine.h"
#include "engine/port_lock_claim.h"
#include "engine/qt_clock.h"
#include "engine/udp_endpoint_adapter.h"
#include "gdf/gdf_table.h"
#include "net/local_interfaces.h"
#include "platform/message_boxes.h"
#include "platform/port_lock.h"
#include "protocol/frame.h"
#include "ui/model/device_table.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTimer;

namespace platform {
class IniFile;
class Monitors;
class Registry;
class RegistryStore;
} // namespace platform
namespace i18n {
class LanguageSelect;
}
namespace statelog {
class LogBuffer;
}
namespace ui {
struct DeviceLine;
class DeviceListView;
class Panel;
class TOptions;
class THelpAbout;
class TStatusFenster;
} // namespace ui
namespace history {
class HistoryDatabase;
}
namespace net {
class AddressProbe;
class NeighbourProbe;
} // namespace net
namespace gdf {
class TGW_Config;
}

namespace app {

// What the main window is given from outside: the program's services and the platform
// pieces that tests replace.
struct Services {
    platform::MessageBoxes& boxes;
    platform::RegistryStore& registry;
    statelog::LogBuffer& log;
    const platform::Monitors& monitors;
    QString programDir;    // the folder of the program's files, ending in "/"
    QStringList arguments; // the command-line arguments after the program name
    std::function<void(const QString& path)> openHelp;
    // The user's locale as a Windows locale identifier; unset: the desktop's.
    std::optional<int> userLocaleId;
    // The receive buffer the endpoint asks the system for; 0 leaves it to the endpoint.
    int receiveBufferBytes = 0;
    // Where every change is recorded, and the history it is kept in; none keeps no history.
    engine::ChangeJournal* journal = nullptr;
    history::HistoryDatabase* history = nullptr;
    // Asks the segment who holds an address before it is written; none: the adapter's
    // neighbour table is asked.
    net::AddressProbe* probe = nullptr;
};

enum TAnswerState { asSuccess, asFailed, asPending };

// The main window: device list, editor panel, adapter choice and status bar over the device
// engine. Clicks become engine calls with the values of the edits; the engine's events
// become list lines, colours, status texts, message boxes and controls. Nothing here waits
// for an answer.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(const Services& services, QWidget* parent = nullptr);
    ~TForm1() override;

    // The other four windows, created after this one.
    struct Windows {
        gdf::TGW_Config* gwConfig = nullptr;
        ui::TOptions* options = nullptr;
        ui::THelpAbout* helpAbout = nullptr;
        ui::TStatusFenster* statusFenster = nullptr;
    };
    void setWindows(const Windows& windows);

    // Lifecycle
    void FormCreate();
    void FormActivate();
    void restoreWindowProps();
    void saveWindowProps();

    // Menu commands
    void actExitExecute();
    // Writes the devices of the scan to a CSV file the user chooses, as the command line's
    // scan --format csv prints them.
    void actSaveDeviceListExecute();
    // Shows the change history, newest first, with its export.
    void actChangeHistoryExecute();
    void Settings1Click();
    void Help2Click();
    void About1Click();

    // Scan
    void ButtonScanClick();

    // Device list
    void ListView1Click();
    void ListView1ColumnClick(int column);
    void ListView1MouseMove(const QPoint& position);

    // Address editor
    void EditIpAddrChange();
    void EditNetMaskChange();
    void EditGatewayAddrChange();
    void EditAddrEnter(QLineEdit* edit);
    void EditsMouseEnter(QLineEdit* edit);
    void actDhcpChangedExecute();
    // For a device outside the adapter's subnet: fills the editor with the lowest free
    // address of the subnet, the adapter's netmask and the gateway while it lies inside.
    void ButtonMoveIntoSubnetClick();
    static bool isShownInvalid(const QLineEdit* edit);
    static void showAsInvalid(QLineEdit* edit, bool invalid);

    // Blink and restart
    void actBlinkExecute();
    void actRestartExecute();

    // Address change transaction
    void actChangeIPConfigExecute();
    // One tick of the watch for a change's first answer (its timer ticks by itself).
    void TimerSetParamTimer();
    void reselectDevice();

    // The display name of a device type code, from the description file.
    std::optional<QString> deviceTypeName(int code) const;

    // Adapter choice
    void ComboBoxAdapterChange();

    // The state of the last operation, panel 1 of the status bar.
    QString statusText() const;
    QString versionText() const;
    void setStatusText(const QString& text);

    QString translate(const QString& key) const;
    statelog::LogBuffer& log() const { return services.log; }

    // The engine behind the window, and what it says of the operations under way.
    engine::DeviceEngine& engine() { return *deviceEngine; }
    const engine::DeviceEngine& engine() const { return *deviceEngine; }
    TAnswerState answerState() const;
    int answerCount() const;
    bool askForRestart() const;
    // The requests of the change that have not left yet.
    QList<QByteArray> messagesToSend() const;
    int setParameterTimerCount() const;
    bool changeWatchRunning() const;
    bool scanRunning() const;
    bool readsRunning() const;
    QStringList queryParamsQueue() const;
    bool socketOpen() const;
    int FSocket() const;
    QString netmask() const;
    QString gatewayip() const;
    const QString& oldIP() const { return oldIp; }
    const engine::Intervals& timerIntervals() const { return intervals; }
    void setTimerIntervals(const engine::Intervals& given);
    // The state texts, as shown in the list's cells; set at the first activation.
    const StateTexts& stateTexts() const { return texts; }
    // The lines the device list shows.
    const ui::DeviceTable& deviceList() const { return *deviceLines; }
    // The first activation (start-up sequence and first scan) is still to come.
    bool firstActivationPending() const { return firstactivate; }

private:
    StateTexts texts;

    // Components. Each carries its component name as its object name, given once: the
    // translations find their components by it, and so do the tests.
    ui::Panel* PanelSelectNetwork = nullptr;
    QComboBox* ComboBoxAdapter = nullptr;
    QPushButton* ButtonScan = nullptr;
    QPushButton* ButtonFilter = nullptr;
    ui::Panel* PanelFilter = nullptr;
    QSplitter* Splitter1 = nullptr;
    ui::Panel* PanelListview = nullptr;
    ui::DeviceListView* ListView1 = nullptr;
    ui::DeviceTable* deviceLines = nullptr;
    ui::Panel* PanelInputs = nullptr;
    QLabel* LabelSelectedDevice = nullptr;
    QLabel* LabelMacAddr = nullptr;
    QLineEdit* EditMacAddr = nullptr;
    QLabel* LabelIpAddr = nullptr;
    QLineEdit* EditIpAddr = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EditNetMask = nullptr;
    QLabel* LabelGatewayAddr = nullptr;
    QLineEdit* EditGatewayAddr = nullptr;
    QCheckBox* CheckBoxDhcpEnabled = nullptr;
    QPushButton* ButtonMoveIntoSubnet = nullptr;
    QPushButton* ButtonSet = nullptr;
    QPushButton* ButtonBlink = nullptr;
    QPushButton* ButtonRestart = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* actSaveDeviceList = nullptr;
    QAction* actChangeHistory = nullptr;
    QAction* Cl1 = nullptr;
    QAction* Settings1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* About1 = nullptr;
    QMenu* PopupMenuListView = nullptr;
    QAction* Blink1 = nullptr;
    QAction* Restart1 = nullptr;
    QAction* actExit = nullptr;
    QAction* actBlink = nullptr;
    QAction* actRestart = nullptr;
    QAction* actChangeIPConfig = nullptr;

    // Fields
    bool firstactivate = true;
    gdf::DeviceTypeTable deviceTypes; // geraete, gwerte and igeraete
    std::unique_ptr<i18n::LanguageSelect> language;
    net::tNetworkInterfaceList networkInterfaceList;
    std::unique_ptr<platform::Registry> Reg;

signals:
    // An operation has ended and the endpoint was closed.
    void endpointClosed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A store that cannot be written is reported at the first failed save only, not at
    // every resize.
    bool windowPropsFailureShown = false;

    void buildMenus();
    void buildTopBar();
    void buildListArea();
    void buildEditorPanel();
    void buildStatusBar();
    void connectEngine();
    void FormClose();
    void applyTimerIntervals();
    // Registers the settings pages, reads the stored settings and gives every caption the
    // language chosen there, or the desktop's.
    void setUpSettingsAndLanguage();
    // Reads the description file; one that exists but cannot be read is reported and
    // gives an empty file.
    platform::IniFile readDescriptionFile(const QString& path);
    void applyDescriptionFile(const platform::IniFile& cfg, const QString& path);
    void showBox(const QString& text, const QString& captionKey, platform::MessageBoxes::Icon icon);

    // Engine events
    void showDevice(engine::DeviceId id);
    // A list the system or a broken datagram left incomplete must not look complete.
    void reportUnreadDatagrams(const engine::ScanSummary& summary);
    ui::DeviceTable::Cells cellsOf(const engine::DeviceRecord& device) const;
    // translate(), once per key and batch of answers: the language cannot change within one,
    // and a burst asks for the same text thousands of times.
    QString translateInBatch(const QString& key);
    QString addressText(const engine::AddressField& field) const;
    QString dhcpText(engine::DhcpMode mode) const;
    void showFailure(const engine::Failure& failure);
    void showRefusal(const engine::Refusal& refusal);
    void offerRestart(bool dhcpTicked);
    void endpointWasClosed(const engine::CloseResult& result);
    // Scan, and for a selected line Save, Blink and Restart, as an operation leaves them.
    void giveControlsBack(const engine::CloseResult& result);
    // Save is offered only while no change waits for its answers: a second one would
    // leave the first half-way.
    void offerSave(bool wanted);
    // A box is shown after the engine's event has been handled, never inside it.
    void showLater(std::function<void()> show);
    engine::AddressInput editInput(const QLineEdit* edit) const;
    std::optional<engine::DeviceId> deviceOfRow(int row) const;
    std::optional<engine::Target> focusedTarget() const;
    bool commandDeviceChosen(const QString& refusalKey);
    void showEditorHint(QLineEdit* edit, const QString& hint);
    // Keeps the marks of the lines whose last change did not complete as a change goes on.
    void noteValueRecorded(engine::Field field, engine::ValueOutcome outcome);
    bool storedOnlyTemporarily(const QString& mac) const;
    // Why the line of this MAC carries the warning mark, as its hint; empty: no mark.
    QString lineWarning(const QString& mac) const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void setHourglassCursor();
    void setDefaultCursor();
    // Foreign-subnet devices and the conflict probe.
    void connectSubnetMove();
    void makeAddressProbe();
    std::optional<engine::AdapterSubnet> currentSubnet() const;
    bool outsideAdapterSubnet(const QString& ip) const;
    QString outsideSubnetHint() const;
    void offerMove();
    // A new IP is sent only when no host but a listed gateway answers there.
    void probeThenChange(const engine::ChangeRequest& request);
    void startChange(const engine::ChangeRequest& request);
    void showError(const QString& text);

    Services services;
    Windows windows;
    engine::UdpEndpointAdapter endpoint;
    engine::QtClock clock;
    // The port is the window's from the opening of the endpoint until its close.
    platform::PortLock portLock;
    engine::PortLockClaim portClaim;
    std::unique_ptr<engine::DeviceEngine> deviceEngine;
    engine::Intervals intervals;
    // What the history says earlier changes left unfinished, read at every scan.
    engine::UnfinishedValues unfinishedChanges;
    // The list line of each device of the scan, by its id. Lines live until the list is
    // emptied, which empties this too.
    std::vector<ui::DeviceLine*> lineOfDevice;
    QHash<QString, QString> batchTranslations;
    QString oldIp; // the selected line's IP when the IP edit last changed
    bool hourglass = false;
    std::unique_ptr<net::NeighbourProbe> neighbourProbe;
    net::AddressProbe* addressProbe = nullptr;
};

} // namespace app
