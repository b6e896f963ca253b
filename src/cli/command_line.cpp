#include "cli/command_line.h"

#include "cli/address_rules.h"
#include "history/history_records.h"
#include "platform/version_record.h"

#include <QSet>

#include <algorithm>

#include <functional>

namespace cli {

namespace {

constexpr int kLongestWaitMs = 600000;
constexpr int kMostInFlight = 256;
constexpr int kLongestIntervalS = 86400;

struct OptionDefinition {
    const char* name;
    bool takesValue;
    std::optional<Command> only; // an option of this command; none: a common option
};

const OptionDefinition kOptions[] = {
    {"--adapter", true, std::nullopt},   {"--scan-ms", true, std::nullopt},
    {"--timeout", true, std::nullopt},   {"--parallel", true, std::nullopt},
    {"--wait-ms", true, std::nullopt},   {"--format", true, std::nullopt},
    {"--gdf", true, std::nullopt},       {"--verbose", false, std::nullopt},
    {"--no-probe", false, std::nullopt}, {"--ip", true, Command::Set},
    {"--netmask", true, Command::Set},   {"--gateway", true, Command::Set},
    {"--dhcp", true, Command::Set},      {"--dry-run", false, Command::Apply},
    {"--type", true, Command::Scan},     {"--restart", false, Command::Apply},
    {"--compare", true, Command::Scan},  {"--interval", true, Command::Watch},
    {"--exec", true, Command::Watch},    {"--exec-timeout", true, Command::Watch},
    {"--since", true, Command::History}, {"--since", true, Command::Inventory}};

// The option's definition for the command; for an option of other commands only, the first
// of them.
const OptionDefinition* findOption(const QString& name, std::optional<Command> command) {
    const OptionDefinition* found = nullptr;
    for (const OptionDefinition& definition : kOptions) {
        if (name != QLatin1String(definition.name))
            continue;
        if (!definition.only || definition.only == command)
            return &definition;
        if (!found)
            found = &definition;
    }
    return found;
}

std::optional<Command> commandNamed(const QString& word) {
    if (word == QLatin1String("scan"))
        return Command::Scan;
    if (word == QLatin1String("set"))
        return Command::Set;
    if (word == QLatin1String("blink"))
        return Command::Blink;
    if (word == QLatin1String("restart"))
        return Command::Restart;
    if (word == QLatin1String("apply"))
        return Command::Apply;
    if (word == QLatin1String("history"))
        return Command::History;
    if (word == QLatin1String("watch"))
        return Command::Watch;
    if (word == QLatin1String("inventory"))
        return Command::Inventory;
    return std::nullopt;
}

QString commandName(Command command) {
    switch (command) {
    case Command::Scan:
        return QStringLiteral("scan");
    case Command::Set:
        return QStringLiteral("set");
    case Command::Blink:
        return QStringLiteral("blink");
    case Command::Restart:
        return QStringLiteral("restart");
    case Command::History:
        return QStringLiteral("history");
    case Command::Watch:
        return QStringLiteral("watch");
    case Command::Inventory:
        return QStringLiteral("inventory");
    case Command::Apply:
        break;
    }
    return QStringLiteral("apply");
}

// "history or inventory": the commands an option of some commands only belongs to.
QString commandsOf(const QString& name) {
    QStringList commands;
    for (const OptionDefinition& definition : kOptions) {
        if (name == QLatin1String(definition.name) && definition.only)
            commands.append(commandName(*definition.only));
    }
    return commands.join(QStringLiteral(" or "));
}

std::optional<int> milliseconds(const QString& text, int least = 1) {
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    for (const QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
    }
    const int value = text.toInt();
    if (value < least || value > kLongestWaitMs)
        return std::nullopt;
    return value;
}

std::optional<int> wholeSeconds(const QString& text) {
    if (text.isEmpty() || text.size() > 5 ||
        std::any_of(text.begin(), text.end(), [](QChar ch) { return ch < u'0' || ch > u'9'; }))
        return std::nullopt;
    const int value = text.toInt();
    if (value < 1 || value > kLongestIntervalS)
        return std::nullopt;
    return value;
}

// How many devices at once: digits as for milliseconds, at most kMostInFlight.
std::optional<int> inFlightCount(const QString& text) {
    const std::optional<int> count = milliseconds(text);
    return count && *count <= kMostInFlight ? count : std::nullopt;
}

class Reader {
public:
    ParsedCommandLine read(const QStringList& arguments) {
        for (qsizetype i = 0; i < arguments.size() && error.isEmpty(); ++i) {
            const QString& argument = arguments[i];
            if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
                result.help = true;
            } else if (argument == QLatin1String("--version")) {
                result.version = true;
            } else if (argument.startsWith(QLatin1String("--"))) {
                option(argument, arguments, i);
            } else if (argument.startsWith(u'-') && argument.size() > 1) {
                error = QStringLiteral("unknown option %1").arg(argument);
            } else if (!command) {
                command = commandNamed(argument);
                if (!command)
                    error = QStringLiteral("unknown command \"%1\"").arg(argument);
            } else {
                operands.append(argument);
            }
        }
        if (result.help || result.version)
            return result;
        if (error.isEmpty())
            finish();
        if (!error.isEmpty()) {
            result.error = error;
            return result;
        }
        result.invocation = invocation;
        return result;
    }

private:
    void option(const QString& argument, const QStringList& arguments, qsizetype& i) {
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        const OptionDefinition* definition = findOption(name, command);
        if (!definition) {
            error = QStringLiteral("unknown option %1").arg(name);
            return;
        }
        if (definition->only && command != definition->only) {
            error = QStringLiteral("%1 belongs after the command %2").arg(name, commandsOf(name));
            return;
        }
        if (seen.contains(name)) {
            error = QStringLiteral("%1 given twice").arg(name);
            return;
        }
        seen.insert(name);
        if (!definition->takesValue) {
            if (equals >= 0)
                error = QStringLiteral("%1 takes no value").arg(name);
            else if (name == QLatin1String("--verbose"))
                invocation.verbose = true;
            else if (name == QLatin1String("--dry-run"))
                invocation.dryRun = true;
            else if (name == QLatin1String("--no-probe"))
                invocation.probe = false;
            else
                invocation.restartAfterDhcp = true;
            return;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = QStringLiteral("%1 needs a value").arg(name);
            return;
        }
        take(name, value);
    }

    void takeChecked(std::optional<QString>& into, const Checked& checked) {
        if (checked.value)
            into = checked.value;
        else
            error = checked.problem;
    }

    void take(const QString& name, const QString& value) {
        if (name == QLatin1String("--adapter")) {
            if (value == QLatin1String("all"))
                invocation.allAdapters = true;
            else
                takeChecked(invocation.adapter, adapterAddress(value));
        } else if (name == QLatin1String("--scan-ms") || name == QLatin1String("--timeout")) {
            const auto ms = milliseconds(value);
            if (!ms)
                error = QStringLiteral("%1 \"%2\": a number of milliseconds from 1 to %3")
                            .arg(name, value)
                            .arg(kLongestWaitMs);
            else
                (name == QLatin1String("--scan-ms") ? invocation.scanMs : invocation.timeoutMs) =
                    *ms;
        } else if (name == QLatin1String("--parallel")) {
            const auto count = inFlightCount(value);
            if (!count)
                error = QStringLiteral("--parallel \"%1\": a number of devices from 1 to %2")
                            .arg(value)
                            .arg(kMostInFlight);
            else
                invocation.parallel = *count;
        } else if (name == QLatin1String("--wait-ms")) {
            // 0: refuse at once when the port is taken.
            if (const auto ms = milliseconds(value, 0))
                invocation.waitMs = *ms;
            else
                error = QStringLiteral("--wait-ms \"%1\": a number of milliseconds from 0 to %2")
                            .arg(value)
                            .arg(kLongestWaitMs);
        } else if (name == QLatin1String("--format")) {
            if (value == QLatin1String("table"))
                invocation.format = Format::Table;
            else if (value == QLatin1String("json"))
                invocation.format = Format::Json;
            else if (value == QLatin1String("jsonl"))
                invocation.format = Format::Jsonl;
            else if (value == QLatin1String("csv"))
                invocation.format = Format::Csv;
            else
                error = QStringLiteral("--format \"%1\": table, json, jsonl or csv").arg(value);
        } else if (name == QLatin1String("--gdf")) {
            if (value.isEmpty())
                error = QStringLiteral("--gdf needs a file name");
            else
                invocation.gdfFile = value;
        } else if (name == QLatin1String("--interval") || name == QLatin1String("--exec-timeout")) {
            const auto seconds = wholeSeconds(value);
            if (!seconds)
                error = QStringLiteral("%1 \"%2\": a number of seconds from 1 to %3")
                            .arg(name, value)
                            .arg(kLongestIntervalS);
            else
                (name == QLatin1String("--interval") ? invocation.intervalS
                                                     : invocation.execTimeoutS) = *seconds;
        } else if (name == QLatin1String("--exec") || name == QLatin1String("--compare")) {
            if (value.trimmed().isEmpty())
                error = QStringLiteral("%1 needs a value").arg(name);
            else
                (name == QLatin1String("--exec") ? invocation.execCommand
                                                 : invocation.compareFile) = value;
        } else if (name == QLatin1String("--type")) {
            if (value.trimmed().isEmpty())
                error = QStringLiteral("--type needs a type code or a part of a type name");
            else
                invocation.deviceType = value.trimmed();
        } else if (name == QLatin1String("--ip")) {
            if (value == QLatin1String("auto"))
                invocation.ipAuto = true;
            else
                takeChecked(invocation.ip, deviceAddress(value));
        } else if (name == QLatin1String("--netmask")) {
            takeChecked(invocation.netmask, netmask(value));
        } else if (name == QLatin1String("--gateway")) {
            takeChecked(invocation.gateway, gatewayAddress(value));
        } else if (name == QLatin1String("--since")) {
            invocation.since = history::historyTimeOf(value);
            if (!invocation.since)
                error = QStringLiteral("--since \"%1\": a date (2026-05-04) or an ISO 8601 date "
                                       "and time")
                            .arg(value);
        } else {
            invocation.dhcp = dhcpSwitch(value);
            if (!invocation.dhcp || value.trimmed().size() > 3)
                error = QStringLiteral("--dhcp \"%1\": on or off").arg(value);
        }
    }

    void finish() {
        if (!command) {
            error = QStringLiteral(
                "no command: scan, set, blink, restart, apply, watch, history or inventory");
            return;
        }
        invocation.command = *command;
        if (*command == Command::History) {
            finishHistory();
            return;
        }
        if (*command == Command::Inventory) {
            finishInventory();
            return;
        }
        // A watch's events come one by one: no format that is one whole document.
        const bool watch = *command == Command::Watch;
        if (watch && invocation.format != Format::Table && invocation.format != Format::Jsonl) {
            error = QStringLiteral("watch writes --format table or jsonl");
            return;
        }
        const bool several = *command == Command::Blink || *command == Command::Restart;
        const qsizetype wanted = *command == Command::Scan || watch ? 0 : 1;
        if (operands.size() > wanted && !several) {
            error = QStringLiteral("unexpected argument \"%1\"").arg(operands[wanted]);
            return;
        }
        if (operands.size() < wanted) {
            error = *command == Command::Apply ? QStringLiteral("apply needs the plan file")
                                               : QStringLiteral("%1 needs the device's MAC address")
                                                     .arg(commandName(*command));
            return;
        }
        if (*command == Command::Apply) {
            invocation.planFile = operands.first();
        } else if (*command != Command::Scan && !watch) {
            for (const QString& operand : std::as_const(operands)) {
                const Checked mac = macAddress(operand);
                if (!mac.value) {
                    error = mac.problem;
                    return;
                }
                if (!invocation.macs.contains(*mac.value))
                    invocation.macs.append(*mac.value);
            }
            invocation.mac = invocation.macs.first();
        }
        if (*command == Command::Set && !invocation.ip && !invocation.ipAuto &&
            !invocation.netmask && !invocation.gateway && !invocation.dhcp)
            error = QStringLiteral("set needs at least one of --ip, --netmask, --gateway, --dhcp");
    }

    // history takes an optional MAC.
    void finishHistory() {
        if (operands.size() > 1) {
            error = QStringLiteral("unexpected argument \"%1\"").arg(operands[1]);
            return;
        }
        if (operands.isEmpty())
            return;
        const Checked mac = macAddress(operands.first());
        if (mac.value)
            invocation.mac = *mac.value;
        else
            error = mac.problem;
    }

    // inventory takes no operand, and writes one whole document.
    void finishInventory() {
        if (!operands.isEmpty())
            error = QStringLiteral("unexpected argument \"%1\"").arg(operands.first());
        else if (invocation.format == Format::Jsonl)
            error = QStringLiteral("inventory writes --format table, json or csv");
    }

    ParsedCommandLine result;
    Invocation invocation;
    std::optional<Command> command;
    QStringList operands;
    QSet<QString> seen;
    QString error;
};

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
    return Reader().read(arguments);
}

QString versionText() {
    QString text = QStringLiteral("torvane-cli (%1)\n").arg(platform::GetProductInfoString());
    const QString notice = platform::GetLegalNoticeString();
    if (!notice.isEmpty())
        text += notice + u'\n';
    return text;
}

} // namespace cli
