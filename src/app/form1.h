#pragma once

#include "gdf/gdf_table.h"
#include "net/local_interfaces.h"
#include "platform/message_boxes.h"
#include "protocol/datagram_receiver.h"
#include "protocol/frame.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
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
namespace protocol {
class UdpEndpoint;
}
namespace ui {
struct DeviceLine;
class DeviceListView;
class DeviceTable;
class LogBuffer;
class Panel;
class TOptions;
class THelpAbout;
class TStatusFenster;
} // namespace ui
namespace gdf {
class TGW_Config;
}

namespace app {

// What the main window is given from outside: the program's services and the platform
// pieces that tests replace.
struct Services {
    platform::MessageBoxes& boxes;
    platform::RegistryStore& registry;
    ui::LogBuffer& log;
    const platform::Monitors& monitors;
    QString programDir;    // the folder of the program's files, ending in "/"
    QStringList arguments; // the command-line arguments after the program name
    std::function<void(const QString& path)> openHelp;
    // The user's locale as a Windows locale identifier; unset: the desktop's.
    std::optional<int> userLocaleId;
    // The receive buffer the endpoint asks the system for; 0 leaves it to the endpoint.
    int receiveBufferBytes = 0;
};

enum TAnswerState { asSuccess, asFailed, asPending };

// The address change whose answers are awaited: the device it writes to and the values it
// sends, so that its answers are told from stray ones and the list takes what was sent,
// whatever the editor shows by the time an answer comes.
struct ChangeInProgress {
    int serial = 0;
    QString mac;
    QString addressBefore; // the device's address when the change started
    QString addressAfter;  // its address once it has taken the new IP
    QString lineAddress;   // finds the line until the IP answer has moved it
    QString netmask;       // empty when not sent
    QString gateway;
    bool dhcpOn = false;
    QStringList notSent;          // the values left out for want of a valid address
    QList<quint8> awaitedAnswers; // the answer codes of the requests sent and not answered
};

// The main window: device list, editor panel, adapter choice, timers and every protocol
// operation. Operations wait for answers by pumping the event loop in place, so every
// handler here tolerates being entered while another one is on the stack.
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
    void Settings1Click();
    void Help2Click();
    void About1Click();

    // Endpoint
    void createSocket();
    // The reply intake: takes in the datagrams the endpoint has read, a bounded batch at a
    // time, and comes back by itself for the rest after the event loop has turned.
    void takeInDatagrams();
    void socketWritable();
    void doCloseSocket(int wParam, int lParam);

    // Scan and parameter query
    void ButtonScanClick();
    void TimerScanTimer();
    void TimerGetParamsTimer();
    bool getParams(const QString& mac, protocol::TSetAddrType adrType);
    void deviceDestination(const QString& deviceIp);

    // Device list
    ui::DeviceLine* createListViewLine(const QString& macaddress, const QString& ipaddress);
    void insertSubitemToListView(const QString& forIpAddr, const QString& toAdd,
                                 protocol::TSetAddrType addrTyp);
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
    static bool isShownInvalid(const QLineEdit* edit);
    static void showAsInvalid(QLineEdit* edit, bool invalid);

    // Blink and restart
    void actBlinkExecute();
    void actRestartExecute();
    void setRestart(const QString& macAddr);

    // Address change transaction
    void actChangeIPConfigExecute();
    void setAddr(const QString& addrToSet, protocol::TSetAddrType addrType, bool permanent);
    void setDhcp(bool value);
    void StartSave();
    void markChanged(const QString& ssourceip, protocol::TSetAddrType addTyp);
    void TimerSetParamTimer();
    void reselectDevice();
    bool dhcpChanged();
    static QString normalizeAddr(const QString& text);

    // The display name of a device type code, from the description file.
    std::optional<QString> deviceTypeName(int code) const;

    // Adapter choice
    QString findAdapterSubnetMask(const QString& adapterIp);
    void ComboBoxAdapterChange();

    // The state of the last operation, panel 1 of the status bar.
    QString statusText() const;
    QString versionText() const;
    void setStatusText(const QString& text);

    QString translate(const QString& key) const;
    ui::LogBuffer& log() const { return services.log; }
    void pump();

    // Components
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
    QPushButton* ButtonSet = nullptr;
    QPushButton* ButtonBlink = nullptr;
    QPushButton* ButtonRestart = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QMenu* File1 = nullptr;
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
    QTimer* TimerScan = nullptr;
    QTimer* TimerSetParam = nullptr;
    QTimer* TimerGetParams = nullptr;

    // Fields
    bool firstactivate = true;
    gdf::DeviceTypeTable deviceTypes; // geraete, gwerte and igeraete
    std::unique_ptr<i18n::LanguageSelect> language;
    net::tNetworkInterfaceList networkInterfaceList;
    QString SockAddr; // destination of the next datagram (address; the port is fixed)
    QString netmask;
    QString gatewayip;
    QString lastChangedMacAddr;
    std::unique_ptr<platform::Registry> Reg;
    int setParameterTimerCount = 0;
    bool setAnswer = false;
    TAnswerState answerState = asSuccess;
    int answerCount = 0;
    QString oldIP;
    QStringList queryParamsQueue;
    QString NotAvailText;
    QString NotAvailTextShort;
    QString SearchingText;
    QString NotConfigurabelText;
    QString NotConfigurabelHintText;
    QString dhcpNotSupportedText;
    QString dhcpNotActiveText;
    QString dhcpActiveText;
    bool askForRestart = false;
    QList<QByteArray> messagesToSend;
    bool socketOpen = false;

    int FSocket() const;

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
    void buildTimers();
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

    void takeIn(const protocol::ReceivedDatagram& datagram);
    // translate(), once per key and intake batch: the language cannot change within one, and
    // a burst asks for the same text thousands of times.
    QString translateInBatch(const QString& key);
    void takeInEverythingRead();
    void reportUnreadDatagrams();
    void handleDatagram(const protocol::ReceiveBuffer& buffer, const QString& sourceIp);
    void scanAnswer(const protocol::ReceiveBuffer& buffer);
    void showReadAnswered();
    void netmaskAnswer(const protocol::ReceiveBuffer& buffer, const QString& sourceIp);
    void gatewayAnswer(const protocol::ReceiveBuffer& buffer, const QString& sourceIp);
    bool sendFrame(const QByteArray& frame, int* error);
    void changeAnswer(const protocol::ReceiveBuffer& buffer, const QString& sourceIp);
    void blinkAnswer(const protocol::ReceiveBuffer& buffer);
    bool fieldCheck(bool checkIp, bool checkNetmask, bool checkGateway);
    void discardQueuedRequests(const QString& reason);
    void endChange(const QString& reason);
    void endChangeForScan();
    bool acceptChangeAnswer(quint8 code, const QString& sourceIp);
    void failTransaction();
    void dropQueuedReads();
    QString readProgressText() const;
    bool commandDeviceChosen(const QString& refusalKey);
    void showEditorHint(QLineEdit* edit, const QString& hint);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enabling a running timer leaves its countdown as it is.
    static void enableTimer(QTimer* timer);
    void setHourglassCursor();
    void setDefaultCursor();

    Services services;
    Windows windows;
    // Also a child of the window, so that tools find it; the pointer deletes it first.
    std::unique_ptr<protocol::UdpEndpoint> endpoint;
    bool intakeRunning = false;
    // Taken from the endpoint but not handled yet: an intake stops after a bound.
    std::vector<protocol::ReceivedDatagram> intakeBacklog;
    std::size_t intakeNext = 0;
    // Datagrams were announced while an intake ran.
    bool intakeAgain = false;
    // Closes asked for by answers' handlers during an intake (WParam, LParam of each).
    std::vector<std::pair<int, int>> closesAfterIntake;
    // Datagrams of the open endpoint that could not be read whole.
    quint64 unreadableDatagrams = 0;
    // Texts translated during the running intake batch.
    QHash<QString, QString> batchTranslations;
    bool hourglass = false;
    std::optional<ChangeInProgress> changeInProgress;
    int changesStarted = 0;
    int readDrops = 0;   // how often a scan start has dropped the queued reads
    int devicesRead = 0; // devices whose netmask and gateway were asked for since the scan
};

} // namespace app
