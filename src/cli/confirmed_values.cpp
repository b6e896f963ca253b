#include "cli/confirmed_values.h"

namespace cli {

void takeConfirmed(ValueChanges& changes, const ChangeResult& result) {
    for (int v = 0; v < planValueCount; ++v) {
        if (!changes[v])
            continue;
        // A value the change meant to write but never came to counts as not sent.
        const engine::ValueOutcome outcome =
            result.values[std::size_t(v)].value_or(engine::ValueOutcome::NotSent);
        changes[v]->confirmed = engine::outcomeKey(outcome);
    }
}

bool allConfirmed(const ValueChanges& changes) {
    const QString done = engine::outcomeKey(engine::ValueOutcome::Done);
    for (const auto& change : changes) {
        if (change && change->confirmed != done)
            return false;
    }
    return true;
}

} // namespace cli
