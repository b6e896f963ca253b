#pragma once

#include <QString>

namespace engine {

// The texts of the status panel, by the translation key each one shows.
enum class Status {
    Scanning,
    ScanningOk,
    ScanFinished,
    ReadingOk,
    SettingIpAddress,
    SettingNotAllowed,
    SettingNotPossible,
    SettingNetmaskOk,
    SettingGatewayaddressOk,
    SettingDhcpOk,
    SettingDhcpNotAllowed,
    SettingDhcpNotPossible,
    OperationFinished,
    ChangesNotSaved,
    Blinktest,
    BlinktestNotAllowed,
};
QString statusKey(Status status);

// What went wrong, for a message to the user. Socket failures carry the system's error
// number, which the message shows after the text.
struct Failure {
    enum class Kind {
        SocketError, // creating the socket, starting its events
        BindError,   // binding the adapter address (the text names the help)
        PortInUse,   // another program of the family holds the port; holder says who
        ScanSendFailed,
        ReadsNotRetrieved, // a netmask or gateway read could not be sent
        SaveSendFailed,    // a change request could not be sent; the change failed
        ChangeTimedOut,    // the device never answered the change's first request
        BlinkSendFailed,
        RestartSendFailed,
    };
    Kind kind;
    int error = 0;
    QString holder = {};
};
QString failureKey(Failure::Kind kind);

// The values a change writes.
enum class Field { Ip, Netmask, Gateway, Dhcp };

// The rule of addresses that a value of a change breaks.
enum class AddressFault {
    ThisNetwork, // in 0.0.0.0/8, which no host may take
    Loopback,
    Multicast,
    Reserved,       // 240.0.0.0/4, 255.255.255.255 included
    LocalAddress,   // an address of this PC
    NetworkAddress, // of the device's subnet
    SubnetBroadcast,
    NoNetmask, // not 1 to 31 leading one bits
    GatewayOutsideSubnet,
    GatewayIsDeviceIp,
};

// Why a change was refused before anything of it was queued.
struct Refusal {
    enum class Kind {
        None,
        LinkLocal,     // a link-local IP without DHCP
        InvalidFields, // the addresses named below are no valid addresses
        IpInUse,       // another device (another MAC) has the IP
        AddressRule,   // the address named below (value) breaks the rule of fault
    };
    Kind kind = Kind::None;
    bool ip = false;
    bool netmask = false;
    bool gateway = false;
    QString value = {};
    AddressFault fault = AddressFault::ThisNetwork;
    // The device's subnet as it would be ("10.0.0.0/24"), for the faults that speak of it.
    QString subnet = {};
};

// The colour of the changed device's line: the outcome of the last change.
enum class AnswerState { Success, Failed, Pending };

// What a scan could not take in, reported when its period ends.
struct ScanSummary {
    int unreadable = 0;  // datagrams that could not be read
    quint64 dropped = 0; // datagrams the system threw away for want of buffer
};

// An operation has ended with the endpoint closed.
struct CloseResult {
    bool closed = true;        // false: the system reported an error while closing
    bool offerRestart = false; // a confirmed DHCP change still waits for its restart
};

} // namespace engine
