#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace net {

// Follows a gateway's answer through the input hook of an nftables ruleset as
// `nft -j list ruleset` prints it: IPv4, UDP from and to port 55808, arriving on
// interfaceName, and new to connection tracking (the scan went to 255.255.255.255, so no
// tracked connection matches an answer from the gateway's own address).
//
// Gives where the answer is dropped when the ruleset drops it for certain ("inet filter
// input: policy drop"); nothing when it accepts the answer or when a rule depends on what
// cannot be told beforehand (source address, rate limits, named sets, iptables matches).
std::optional<QString> answerDropPoint(const QByteArray& rulesetJson, const QString& interfaceName);

} // namespace net
