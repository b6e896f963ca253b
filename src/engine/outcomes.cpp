#include "engine/outcomes.h"

namespace engine {

QString statusKey(Status status) {
    switch (status) {
    case Status::Scanning:
        return QStringLiteral("Scanning");
    case Status::ScanningOk:
        return QStringLiteral("Scanning_OK");
    case Status::ScanFinished:
        return QStringLiteral("Scan_finished");
    case Status::ReadingOk:
        return QStringLiteral("Reading_OK");
    case Status::SettingIpAddress:
        return QStringLiteral("Setting_IP_address");
    case Status::SettingNotAllowed:
        return QStringLiteral("Setting_not_allowed");
    case Status::SettingNotPossible:
        return QStringLiteral("Setting_not_possible");
    case Status::SettingNetmaskOk:
        return QStringLiteral("Setting_Netmask_OK");
    case Status::SettingGatewayaddressOk:
        return QStringLiteral("Setting_Gatewayaddress_OK");
    case Status::SettingDhcpOk:
        return QStringLiteral("Setting_DHCP_OK");
    case Status::SettingDhcpNotAllowed:
        return QStringLiteral("Setting_DHCP_not_allowed");
    case Status::SettingDhcpNotPossible:
        return QStringLiteral("Setting_DHCP_not_possible");
    case Status::OperationFinished:
        return QStringLiteral("Operation_finished");
    case Status::ChangesNotSaved:
        return QStringLiteral("Changes_not_saved");
    case Status::Blinktest:
        return QStringLiteral("Blinktest");
    case Status::BlinktestNotAllowed:
        return QStringLiteral("Blinktest_not_allowed");
    }
    return QString();
}

QString failureKey(Failure::Kind kind) {
    switch (kind) {
    case Failure::Kind::SocketError:
        return QStringLiteral("Socket_error");
    case Failure::Kind::BindError:
        return QStringLiteral("Error_binding_socket");
    case Failure::Kind::PortInUse:
        return QStringLiteral("UDP_port_in_use_by");
    case Failure::Kind::ScanSendFailed:
        return QStringLiteral("Error_sending_scan");
    case Failure::Kind::ReadsNotRetrieved:
        return QStringLiteral("Some_parameters_not_retreived_scan_again");
    case Failure::Kind::SaveSendFailed:
        return QStringLiteral("Error_sending_save");
    case Failure::Kind::ChangeTimedOut:
        return QStringLiteral("Parameter_setting_timeout");
    case Failure::Kind::BlinkSendFailed:
        return QStringLiteral("Error_Sending_blink");
    case Failure::Kind::RestartSendFailed:
        return QStringLiteral("Error_sending_restart");
    }
    return QString();
}

} // namespace engine
