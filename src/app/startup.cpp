// The first activation of the main window configures the whole program once, in a fixed
// order that ends with the first scan.
#include "app/form1.h"

#include "i18n/language_select.h"
#include "platform/registry.h"
#include "ui/model/log_buffer.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

namespace app {

void TForm1::FormActivate() {
    if (!firstactivate)
        return;
    restoreWindowProps();
    firstactivate = false;
    for (const QString& argument : services.arguments) {
        if (argument.toUpper() == QLatin1String("/D") && windows.statusFenster)
            windows.statusFenster->show();
    }

    QStringList addresses;
    net::GetLocalIPs(addresses);
    ComboBoxAdapter->clear();
    ComboBoxAdapter->addItems(addresses);
    net::getNetworkInterfaces(networkInterfaceList);

    QString storedAdapter;
    try {
        if (Reg->hasCurrentKey() && Reg->valueExists(QStringLiteral("SelectedAdapterIp")))
            storedAdapter = Reg->readString(QStringLiteral("SelectedAdapterIp"));
    } catch (const platform::RegistryError&) {
        storedAdapter.clear(); // a value of another type counts as none
    }
    const int stored = ComboBoxAdapter->findText(storedAdapter, Qt::MatchExactly);
    if (ComboBoxAdapter->count() > 0)
        ComboBoxAdapter->setCurrentIndex(stored >= 0 ? stored : 0);
    if (!storedAdapter.isEmpty())
        ButtonScan->setFocus();
    else
        ComboBoxAdapter->setFocus();

    language->readDefaultLang();

    NotAvailText = translate(QStringLiteral("StatusNotAvailText"));
    NotAvailTextShort = translate(QStringLiteral("StatusNotAvailTextShort"));
    SearchingText = translate(QStringLiteral("StatusSearchingText"));
    NotConfigurabelText = translate(QStringLiteral("NotConfigurabelText"));
    NotConfigurabelHintText = translate(QStringLiteral("NotConfigurabelHintText"));
    dhcpNotSupportedText = translate(QStringLiteral("StatusdhcpNotSupportedText"));
    dhcpNotActiveText = translate(QStringLiteral("StatusdhcpNotActiveText"));
    dhcpActiveText = translate(QStringLiteral("StatusdhcpActiveText"));

    ButtonSet->setEnabled(false);
    actBlink->setEnabled(false);
    actRestart->setEnabled(false);
    ButtonScanClick();
}

void TForm1::Settings1Click() {}

QString TForm1::findAdapterSubnetMask(const QString& adapterIp) {
    return net::findAdapterSubnetMask(networkInterfaceList, adapterIp, log());
}

void TForm1::ComboBoxAdapterChange() {
    // A new choice takes effect with the next endpoint and the next destination choice.
}

std::optional<QString> TForm1::deviceTypeName(int) const {
    return std::nullopt;
}

} // namespace app
