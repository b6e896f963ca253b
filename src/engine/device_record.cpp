#include "engine/device_record.h"

namespace engine {

Completion DeviceRecord::completion() const {
    const auto either = [this](AddressState state) {
        return netmask.state == state || gateway.state == state;
    };
    if (either(AddressState::Searching))
        return Completion::Reading;
    if (either(AddressState::NotConfigurable))
        return Completion::NotConfigurable;
    if (either(AddressState::NotAvailable))
        return Completion::NotAvailable;
    return Completion::Complete;
}

} // namespace engine
