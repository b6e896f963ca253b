#include "app/form1.h"

#include "app/window_props.h"
#include "i18n/language_select.h"
#include "net/neighbour_probe.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "statelog/log_buffer.h"
#include "ui/device_list_view.h"
#include "ui/help_about.h"
#include "ui/model/device_table.h"
#include "ui/panel.h"
#include "ui/typing_limit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr int kDesignClientWidth = 989;
constexpr int kDesignClientHeight = 379;
constexpr int kMinimumWidth = 620;
constexpr int kMinimumHeight = 250;
constexpr int kEditorPanelWidth = 170;

QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* makeAddressEdit(const QString& name, const QString& text, const QString& accessible,
                           QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignCenter);
    ui::limitTyping(edit, 15);
    edit->setEnabled(false);
    edit->setAccessibleName(accessible);
    return edit;
}

// A button that mirrors the caption and the enabled state of the action it carries.
QPushButton* makeActionButton(const QString& name, QAction* action, QWidget* parent) {
    auto* button = new QPushButton(action->text(), parent);
    button->setObjectName(name);
    button->setAccessibleName(action->text());
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button, [button, action] {
        button->setEnabled(action->isEnabled());
        button->setText(action->text());
    });
    return button;
}

} // namespace

TForm1::TForm1(const Services& given, QWidget* parent)
    : QMainWindow(parent), services(given), endpoint(given.receiveBufferBytes, this),
      portLock(platform::PortLock::folderFor(QFileInfo(given.registry.filePath()).absolutePath()),
               protocol::kDevicePort),
      portClaim(portLock, QStringLiteral("torvanescan"), given.log),
      deviceEngine(
          given.journal
              ? std::make_unique<engine::DeviceEngine>(endpoint, clock, given.log, *given.journal)
              : std::make_unique<engine::DeviceEngine>(endpoint, clock, given.log)) {
    deviceEngine->setPortClaim(&portClaim);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("TORVANE Scan"));
    setAccessibleName(QStringLiteral("TORVANE Scan"));

    actExit = new QAction(QStringLiteral("Exit"), this);
    actExit->setObjectName(QStringLiteral("actExit"));
    actBlink = new QAction(QStringLiteral("Blink"), this);
    actBlink->setObjectName(QStringLiteral("actBlink"));
    actRestart = new QAction(QStringLiteral("Restart"), this);
    actRestart->setObjectName(QStringLiteral("actRestart"));
    actChangeIPConfig = new QAction(QStringLiteral("Change IP configuration"), this);
    actChangeIPConfig->setObjectName(QStringLiteral("actChangeIPConfig"));

    buildMenus();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);
    buildTopBar();
    layout->addWidget(PanelSelectNetwork);
    layout->addWidget(PanelFilter);
    buildListArea();
    buildEditorPanel();
    Splitter1->addWidget(PanelInputs);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({kDesignClientWidth - kEditorPanelWidth, kEditorPanelWidth});
    layout->addWidget(Splitter1, 1);
    buildStatusBar();
    connectEngine();

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kDesignClientWidth, kDesignClientHeight + menuBar()->sizeHint().height());
    FormCreate();
}

TForm1::~TForm1() {
    // The hourglass belongs to the whole application; a window that goes while an
    // operation waits must not leave it behind.
    setDefaultCursor();
}

void TForm1::buildMenus() {
    File1 = menuBar()->addMenu(QStringLiteral("File"));
    File1->setObjectName(QStringLiteral("File1"));
    actSaveDeviceList = File1->addAction(QStringLiteral("Save device list…"));
    actSaveDeviceList->setObjectName(QStringLiteral("actSaveDeviceList"));
    connect(actSaveDeviceList, &QAction::triggered, this, &TForm1::actSaveDeviceListExecute);
    actChangeHistory = File1->addAction(QStringLiteral("Change history…"));
    actChangeHistory->setObjectName(QStringLiteral("actChangeHistory"));
    actChangeHistory->setEnabled(services.history != nullptr);
    connect(actChangeHistory, &QAction::triggered, this, &TForm1::actChangeHistoryExecute);
    File1->addSeparator();
    Cl1 = actExit;
    File1->addAction(Cl1);
    connect(actExit, &QAction::triggered, this, &TForm1::actExitExecute);

    Settings1 = menuBar()->addAction(QStringLiteral("Settings"));
    Settings1->setObjectName(QStringLiteral("Settings1"));
    connect(Settings1, &QAction::triggered, this, &TForm1::Settings1Click);

    Help1 = menuBar()->addMenu(QStringLiteral("Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help2 = Help1->addAction(QStringLiteral("Help"));
    Help2->setObjectName(QStringLiteral("Help2"));
    connect(Help2, &QAction::triggered, this, &TForm1::Help2Click);
    About1 = Help1->addAction(QStringLiteral("About"));
    About1->setObjectName(QStringLiteral("About1"));
    connect(About1, &QAction::triggered, this, &TForm1::About1Click);
}

void TForm1::buildTopBar() {
    PanelSelectNetwork = new ui::Panel(centralWidget());
    PanelSelectNetwork->setObjectName(QStringLiteral("PanelSelectNetwork"));
    auto* bar = new QHBoxLayout(PanelSelectNetwork);
    bar->setContentsMargins(6, 4, 6, 4);
    ComboBoxAdapter = new QComboBox(PanelSelectNetwork);
    ComboBoxAdapter->setObjectName(QStringLiteral("ComboBoxAdapter"));
    ComboBoxAdapter->setEditable(true);
    // The list holds the host's addresses only; a typed address is just the current text.
    ComboBoxAdapter->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxAdapter->setMinimumWidth(160);
    ComboBoxAdapter->setAccessibleName(QStringLiteral("Adapter"));
    ComboBoxAdapter->setToolTip(QStringLiteral("The local address the scan is sent from"));
    connect(ComboBoxAdapter, &QComboBox::currentTextChanged, this, &TForm1::ComboBoxAdapterChange);
    ButtonScan = new QPushButton(QStringLiteral("Scan"), PanelSelectNetwork);
    ButtonScan->setObjectName(QStringLiteral("ButtonScan"));
    ButtonScan->setAccessibleName(QStringLiteral("Scan"));
    connect(ButtonScan, &QPushButton::clicked, this, &TForm1::ButtonScanClick);
    ButtonFilter = new QPushButton(QStringLiteral("Filter"), PanelSelectNetwork);
    ButtonFilter->setObjectName(QStringLiteral("ButtonFilter"));
    ButtonFilter->setAccessibleName(QStringLiteral("Filter"));
    ButtonFilter->hide();
    bar->addWidget(ComboBoxAdapter);
    bar->addWidget(ButtonScan);
    bar->addWidget(ButtonFilter);
    bar->addStretch(1);

    PanelFilter = new ui::Panel(centralWidget());
    PanelFilter->setObjectName(QStringLiteral("PanelFilter"));
    PanelFilter->hide();
}

void TForm1::buildListArea() {
    Splitter1 = new QSplitter(Qt::Horizontal, centralWidget());
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    PanelListview = new ui::Panel(Splitter1);
    PanelListview->setObjectName(QStringLiteral("PanelListview"));
    auto* fill = new QVBoxLayout(PanelListview);
    fill->setContentsMargins(0, 0, 0, 0);
    deviceLines = new ui::DeviceTable(this);
    deviceLines->setObjectName(QStringLiteral("DeviceLines"));
    ListView1 = new ui::DeviceListView(PanelListview);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("Devices"));
    ListView1->setDeviceTable(deviceLines);
    fill->addWidget(ListView1);
    Splitter1->addWidget(PanelListview);

    ListView1->setMarked(
        [this](const QString& caption) { return !lineWarning(caption).isEmpty(); });
    ListView1->setTextColour([this](const QString& caption) -> std::optional<QColor> {
        const QString& changed = deviceEngine->transaction().lastChangedMac();
        if (caption != changed || changed.isEmpty())
            return std::nullopt;
        switch (answerState()) {
        case asPending:
            // The toolkit's nearest match to the colour of inactive captions.
            return palette().color(QPalette::Disabled, QPalette::WindowText);
        case asSuccess:
            return QColor(0, 128, 0);
        case asFailed:
            return QColor(255, 0, 0);
        }
        return std::nullopt;
    });
    connect(ListView1, &ui::DeviceListView::clickedAnywhere, this, &TForm1::ListView1Click);
    connect(ListView1, &ui::DeviceListView::headerClicked, this, &TForm1::ListView1ColumnClick);
    connect(ListView1, &ui::DeviceListView::mouseMovedTo, this, &TForm1::ListView1MouseMove);

    PopupMenuListView = new QMenu(ListView1);
    PopupMenuListView->setObjectName(QStringLiteral("PopupMenuListView"));
    Blink1 = actBlink;
    Restart1 = actRestart;
    PopupMenuListView->addAction(Blink1);
    PopupMenuListView->addAction(Restart1);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenuListView->popup(ListView1->viewport()->mapToGlobal(at));
    });
}

void TForm1::buildEditorPanel() {
    PanelInputs = new ui::Panel(Splitter1);
    PanelInputs->setObjectName(QStringLiteral("PanelInputs"));
    PanelInputs->setMinimumWidth(kEditorPanelWidth);
    auto* column = new QVBoxLayout(PanelInputs);
    column->setContentsMargins(8, 6, 8, 6);

    LabelSelectedDevice = makeLabel(QStringLiteral("LabelSelectedDevice"),
                                    QStringLiteral("Selected device"), PanelInputs);
    QFont bold = LabelSelectedDevice->font();
    bold.setBold(true);
    LabelSelectedDevice->setFont(bold);
    column->addWidget(LabelSelectedDevice);

    LabelMacAddr =
        makeLabel(QStringLiteral("LabelMacAddr"), QStringLiteral("MAC-Adr."), PanelInputs);
    EditMacAddr =
        makeAddressEdit(QStringLiteral("EditMacAddr"), QStringLiteral("00-00-00-00-00-00"),
                        QStringLiteral("MAC-Adr."), PanelInputs);
    EditMacAddr->setToolTip(QStringLiteral("MAC-Address, not changeable "));
    LabelIpAddr =
        makeLabel(QStringLiteral("LabelIpAddr"), QStringLiteral(" IP-Address"), PanelInputs);
    EditIpAddr = makeAddressEdit(QStringLiteral("EditIpAddr"), QStringLiteral("000.000.000.000"),
                                 QStringLiteral("IP-Address"), PanelInputs);
    Label4 = makeLabel(QStringLiteral("Label4"), QStringLiteral(" Netmask"), PanelInputs);
    EditNetMask = makeAddressEdit(QStringLiteral("EditNetMask"), QStringLiteral("255.255.000.000"),
                                  QStringLiteral("Netmask"), PanelInputs);
    EditNetMask->setToolTip(QStringLiteral("My hint"));
    LabelGatewayAddr = makeLabel(QStringLiteral("LabelGatewayAddr"),
                                 QStringLiteral(" Gateway-Address"), PanelInputs);
    EditGatewayAddr =
        makeAddressEdit(QStringLiteral("EditGatewayAddr"), QStringLiteral("000.000.000.000"),
                        QStringLiteral("Gateway-Address"), PanelInputs);
    const std::pair<QLabel*, QLineEdit*> rows[] = {{LabelMacAddr, EditMacAddr},
                                                   {LabelIpAddr, EditIpAddr},
                                                   {Label4, EditNetMask},
                                                   {LabelGatewayAddr, EditGatewayAddr}};
    for (const auto& [label, edit] : rows) {
        label->setBuddy(edit);
        column->addWidget(label);
        column->addWidget(edit);
    }

    CheckBoxDhcpEnabled = new QCheckBox(QStringLiteral("DHCP enabled"), PanelInputs);
    CheckBoxDhcpEnabled->setObjectName(QStringLiteral("CheckBoxDhcpEnabled"));
    CheckBoxDhcpEnabled->setAccessibleName(QStringLiteral("DHCP enabled"));
    column->addWidget(CheckBoxDhcpEnabled);
    connect(CheckBoxDhcpEnabled, &QCheckBox::toggled, this, &TForm1::actDhcpChangedExecute);
    ButtonMoveIntoSubnet =
        new QPushButton(QStringLiteral("Move into this PC's subnet"), PanelInputs);
    ButtonMoveIntoSubnet->setObjectName(QStringLiteral("ButtonMoveIntoSubnet"));
    ButtonMoveIntoSubnet->setAccessibleName(QStringLiteral("Move into this PC's subnet"));
    ButtonMoveIntoSubnet->setEnabled(false);
    column->addWidget(ButtonMoveIntoSubnet);
    connect(EditIpAddr, &QLineEdit::textChanged, this, &TForm1::EditIpAddrChange);
    connect(EditNetMask, &QLineEdit::textChanged, this, &TForm1::EditNetMaskChange);
    connect(EditGatewayAddr, &QLineEdit::textChanged, this, &TForm1::EditGatewayAddrChange);
    for (QLineEdit* edit : {EditIpAddr, EditNetMask, EditGatewayAddr})
        edit->installEventFilter(this);

    ButtonSet = new QPushButton(QStringLiteral("Save changes"), PanelInputs);
    ButtonSet->setObjectName(QStringLiteral("ButtonSet"));
    ButtonSet->setAccessibleName(QStringLiteral("Save changes"));
    ButtonSet->setToolTip(QStringLiteral("Store the changes in the selected device. After "
                                         "another scan you can see the new values in the list."));
    connect(ButtonSet, &QPushButton::clicked, actChangeIPConfig, &QAction::trigger);
    connect(actChangeIPConfig, &QAction::triggered, this, &TForm1::actChangeIPConfigExecute);
    connect(actBlink, &QAction::triggered, this, &TForm1::actBlinkExecute);
    connect(actRestart, &QAction::triggered, this, &TForm1::actRestartExecute);
    column->addWidget(ButtonSet);
    ButtonBlink = makeActionButton(QStringLiteral("ButtonBlink"), actBlink, PanelInputs);
    column->addWidget(ButtonBlink);
    ButtonRestart = makeActionButton(QStringLiteral("ButtonRestart"), actRestart, PanelInputs);
    column->addWidget(ButtonRestart);
    column->addStretch(1);
}

void TForm1::buildStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    StatusPanel0 = new QLabel(StatusBar1);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFixedWidth(180);
    StatusPanel0->setAccessibleName(QStringLiteral("Version"));
    StatusPanel1 = new QLabel(StatusBar1);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setMinimumWidth(50);
    StatusPanel1->setAccessibleName(QStringLiteral("State"));
    StatusBar1->addWidget(StatusPanel0);
    StatusBar1->addWidget(StatusPanel1, 1);
}

void TForm1::setWindows(const Windows& given) {
    windows = given;
}

void TForm1::FormCreate() {
    Reg = std::make_unique<platform::Registry>(services.registry);
    firstactivate = true;
    language = std::make_unique<i18n::LanguageSelect>(
        &services.registry, QStringLiteral("\\SOFTWARE\\Kestrelwald\\"), services.programDir,
        services.userLocaleId.value_or(i18n::windowsLocaleId(QLocale::system())));
}

bool TForm1::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    } else if (event->type() == QEvent::Show && firstactivate) {
        // Without a window manager (offscreen, bare X servers) no activation may ever come;
        // the first show then stands in for it.
        QTimer::singleShot(0, this, [this] {
            if (firstactivate)
                FormActivate();
        });
    }
    return handled;
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!firstactivate)
        saveWindowProps();
}

void TForm1::restoreWindowProps() {
    app::restoreWindowProps(Reg.get(), *this, services.monitors);
}

void TForm1::saveWindowProps() {
    app::saveWindowProps(Reg.get(), *this, services.monitors, ComboBoxAdapter->currentText(),
                         services.boxes, &windowPropsFailureShown);
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
    QApplication::quit();
}

void TForm1::FormClose() {
    saveWindowProps();
    int error = 0;
    if (endpoint.handle() != 0)
        endpoint.close(&error);
}

void TForm1::actExitExecute() {
    close();
}

void TForm1::Help2Click() {
    if (services.openHelp)
        services.openHelp(services.programDir + QStringLiteral("help/index.html"));
}

void TForm1::About1Click() {
    if (!windows.helpAbout)
        return;
    windows.helpAbout->show();
    windows.helpAbout->raise();
    windows.helpAbout->activateWindow();
}

QString TForm1::statusText() const {
    return StatusPanel1->text();
}

QString TForm1::versionText() const {
    return StatusPanel0->text();
}

void TForm1::setStatusText(const QString& text) {
    StatusPanel1->setText(text);
}

QString TForm1::translate(const QString& key) const {
    return language->translate(key);
}

void TForm1::setHourglassCursor() {
    if (!hourglass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    hourglass = true;
}

void TForm1::setDefaultCursor() {
    if (hourglass)
        QApplication::restoreOverrideCursor();
    hourglass = false;
}

} // namespace app
