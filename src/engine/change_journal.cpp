#include "engine/change_journal.h"

#include <array>
#include <utility>

namespace engine {

namespace {

constexpr std::array<std::pair<ValueOutcome, const char*>, 6> kOutcomeNames{{
    {ValueOutcome::NotSent, "not_sent"},
    {ValueOutcome::TemporaryOnly, "temporary_only"},
    {ValueOutcome::Done, "done"},
    {ValueOutcome::Refused, "refused"},
    {ValueOutcome::Timeout, "timeout"},
    {ValueOutcome::Interrupted, "interrupted"},
}};

constexpr std::array<std::pair<Field, const char*>, 4> kFieldNames{{
    {Field::Ip, "ip"},
    {Field::Netmask, "netmask"},
    {Field::Gateway, "gateway"},
    {Field::Dhcp, "dhcp"},
}};

template <typename T, std::size_t N>
QString nameOf(const std::array<std::pair<T, const char*>, N>& names, T value) {
    for (const auto& [known, name] : names) {
        if (known == value)
            return QString::fromLatin1(name);
    }
    return QString();
}

template <typename T, std::size_t N>
std::optional<T> valueOf(const std::array<std::pair<T, const char*>, N>& names,
                         const QString& text) {
    for (const auto& [value, name] : names) {
        if (text == QLatin1String(name))
            return value;
    }
    return std::nullopt;
}

} // namespace

QString outcomeKey(ValueOutcome outcome) {
    return nameOf(kOutcomeNames, outcome);
}

std::optional<ValueOutcome> outcomeFromKey(const QString& name) {
    return valueOf(kOutcomeNames, name);
}

QString fieldKey(Field field) {
    return nameOf(kFieldNames, field);
}

std::optional<Field> fieldFromKey(const QString& name) {
    return valueOf(kFieldNames, name);
}

bool awaitsCompletion(const UnfinishedValues& unfinished, const QString& mac, Field field) {
    const auto found = unfinished.constFind(mac);
    return found != unfinished.constEnd() && found->contains(field);
}

} // namespace engine
