#pragma once

#include "engine/device_record.h"
#include "engine/outcomes.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace engine {

class AddressPolicy;
class DeviceSet;

// An address as the editor holds it: a typed text, or the text of one of the list's states
// (for example "not available") shown in place of an address.
struct AddressInput {
    QString text;
    std::optional<AddressState> shows;

    static AddressInput typed(const QString& text) { return {text, std::nullopt}; }
    static AddressInput showing(AddressState state, const QString& text) { return {text, state}; }
    bool isNotAvailable() const { return shows == AddressState::NotAvailable; }
};

// What the user asks a device to become.
struct ChangeRequest {
    // The device's record; none when the front end has no device to change.
    std::optional<DeviceId> device;
    // The MAC the requests carry.
    QString mac;
    QString ip;
    AddressInput netmask;
    AddressInput gateway;
    bool dhcpTicked = false;
    // The DHCP state can be chosen (the device reports it and it can be switched).
    bool dhcpSelectable = false;
    // Values written even where the device already shows them: an earlier change of them
    // did not end done, so the device may hold them only until its next restart (or its
    // answer proves nothing). DHCP here is sent as ticked, also to a device whose answer
    // carries no DHCP state.
    QList<Field> rewrite = {};
};

// One request of a change, before its frame is built.
struct PlannedRequest {
    Field field;
    bool permanent = false; // the address requests: temporary first, then permanent
    QString value;          // the address as typed; for DHCP unused
    bool dhcpOn = false;
    bool sendable = true; // false: no valid address, so it is left out
};

// Everything a change will do, decided before anything of it is queued.
struct ChangePlan {
    bool dhcpChanged = false;
    Refusal refusal;
    // Nothing differs from the device: nothing to send, and nothing to say.
    bool nothingChanged = false;
    std::vector<PlannedRequest> requests;
    // Values that were to be written but are no valid addresses: their requests are not
    // sendable.
    QList<Field> notSent;
};

// The change of request.device, whose IP has already been put in canonical form when it is
// a valid address. Every address it would write keeps the rules of policy.
ChangePlan planChange(const DeviceSet& devices, const ChangeRequest& request,
                      const AddressPolicy& policy);

// The text of a valid address in canonical form ("192.168.001.010" is "192.168.1.10").
QString normalizeAddr(const QString& text);

} // namespace engine
