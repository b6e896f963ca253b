#pragma once

#include <QString>

namespace engine {
struct Refusal;
}

namespace app {

class TForm1;

// The text of the Save refusal box for an address that breaks the rules of addresses:
// "Invalid value for gateway 10.0.0.1: outside the device's subnet 10.0.0.0/24, nothing
// was saved."
QString addressRuleText(const TForm1& form, const engine::Refusal& refusal);

} // namespace app
