#pragma once

#include "engine/change_transaction.h"

#include <QString>

namespace engine {
class DeviceSet;
}

namespace cli {

// Why the engine did not start the change of the device with this MAC (refused by its
// checks, or nothing valid to send), for the user: "IP address 10.0.0.5 is used by ...".
QString notStartedText(const engine::ChangeStart& start, const engine::DeviceSet& devices,
                       const QString& mac);

} // namespace cli
