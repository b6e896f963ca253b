#pragma once

#include <QString>

namespace engine {

// Identifies a device of the current scan: its place in the order the answers came in.
using DeviceId = int;

// What stands where a device's netmask or gateway belongs.
enum class AddressState {
    Empty,           // nothing yet
    Value,           // the address in text
    Searching,       // its short scan answer lacked it; it is being read
    NotAvailable,    // it was read, but no answer came
    NotConfigurable, // no answer came, and the device has a link-local address
};

struct AddressField {
    AddressState state = AddressState::Empty;
    QString text; // the dotted address when state is Value

    static AddressField value(const QString& text) { return {AddressState::Value, text}; }
    static AddressField of(AddressState state) { return {state, QString()}; }
    bool operator==(const AddressField&) const = default;
};

enum class DhcpMode {
    Unknown,     // no scan answer has said anything yet
    NotReported, // a short scan answer, which carries no DHCP state
    NotSupported,
    NotActive,
    Active,
};

enum class RestartSupport { Unknown, Supported, NotSupported };

// How far a device's record is complete.
enum class Completion {
    Complete,
    Reading,         // netmask and gateway are still to be read
    NotAvailable,    // a read got no answer
    NotConfigurable, // a read got no answer from a device at a link-local address
};

// One device as the answers of one scan describe it. The same MAC answering with another IP
// is another record.
struct DeviceRecord {
    DeviceId id = -1;
    QString mac;
    QString ip;
    AddressField netmask;
    AddressField gateway;
    DhcpMode dhcp = DhcpMode::Unknown;
    int typeCode = 0;
    QString revision;
    // The mark of the list's "Duplicate IP" column, which describes the latest answer: set
    // while the latest answer came from this device's IP under another MAC, or from this
    // device while another MAC shares its IP. Whether any other device shares the IP says
    // DeviceSet::ipUsedByOtherMac().
    bool duplicateMark = false;
    RestartSupport restart = RestartSupport::Unknown;
    // The latest scan answer came from another address than the one it claims: anyone on
    // the segment may have sent it, so it proves nothing about the device.
    bool doubtful = false;
    QString answeredFrom; // the source address of the latest scan answer

    Completion completion() const;
};

} // namespace engine
