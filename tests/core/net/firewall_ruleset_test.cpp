#include "net/firewall_ruleset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Statements as `nft -j list ruleset` writes them.
const std::string kTracked =
    R"({"match":{"op":"in","left":{"ct":{"key":"state"}},"right":["established","related"]}})";
const std::string kLoopback = R"({"match":{"op":"==","left":{"meta":{"key":"iif"}},"right":"lo"}})";
const std::string kEthernet =
    R"({"match":{"op":"==","left":{"meta":{"key":"iifname"}},"right":"eth*"}})";
const std::string kScanPort =
    R"({"match":{"op":"==","left":{"payload":{"protocol":"udp","field":"dport"}},"right":55808}})";
const std::string kPortRange =
    R"({"match":{"op":"==","left":{"payload":{"protocol":"udp","field":"dport"}},"right":{"set":[53,{"range":[55800,55810]}]}}})";
const std::string kSsh =
    R"({"match":{"op":"==","left":{"payload":{"protocol":"tcp","field":"dport"}},"right":22}})";
const std::string kSource =
    R"({"match":{"op":"==","left":{"payload":{"protocol":"ip","field":"saddr"}},"right":{"prefix":{"addr":"10.0.0.0","len":8}}}})";
const std::string kAccept = R"({"accept":null})";
const std::string kDrop = R"({"drop":null})";
const std::string kReturn = R"({"return":null})";
const std::string kJump = R"({"jump":{"target":"side"}})";
const std::string kGoto = R"({"goto":{"target":"side"}})";

struct Rule {
    std::string chain;
    std::vector<std::string> statements;
};

struct RulesetCase {
    const char* name;
    std::string inputPolicy;
    std::vector<Rule> rules;
    std::string interfaceName;
    std::optional<std::string> dropPoint;
};

std::string join(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ",") + part;
    return text;
}

// The table "inet t" with the base chain "input" and a regular chain "side"; rules get
// handles from 2 on in order.
std::string ruleset(const RulesetCase& c) {
    const std::string in = R"("family":"inet","table":"t",)";
    std::vector<std::string> entries = {
        R"({"table":{"family":"inet","name":"t","handle":1}})",
        R"({"chain":{)" + in +
            R"("name":"input","type":"filter","hook":"input","prio":0,"policy":")" + c.inputPolicy +
            R"("}})",
        R"({"chain":{)" + in + R"("name":"side"}})"};
    int handle = 2;
    for (const Rule& rule : c.rules)
        entries.push_back(R"({"rule":{)" + in + R"("chain":")" + rule.chain + R"(","handle":)" +
                          std::to_string(handle++) + R"(,"expr":[)" + join(rule.statements) +
                          "]}}");
    return R"({"nftables":[)" + join(entries) + "]}";
}

class FirewallRulesetTest : public ::testing::TestWithParam<RulesetCase> {};

const Rule kDesktopTracked{"input", {kTracked, kAccept}};
const Rule kDesktopLoopback{"input", {kLoopback, kAccept}};

} // namespace

TEST_P(FirewallRulesetTest, FindsWhereTheAnswersAreDroppedForCertain) {
    const RulesetCase& c = GetParam();
    const auto dropPoint = net::answerDropPoint(QByteArray::fromStdString(ruleset(c)),
                                                QString::fromStdString(c.interfaceName));
    EXPECT_EQ(dropPoint ? std::optional(dropPoint->toStdString()) : std::nullopt, c.dropPoint);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rulesets, FirewallRulesetTest, ::testing::Values(
    RulesetCase{"DesktopDefault", "drop", {kDesktopTracked, kDesktopLoopback}, "eth0", "inet t input: policy drop"},
    RulesetCase{"DocumentedRule", "drop", {kDesktopTracked, {"input", {kScanPort, kAccept}}}, "eth0", std::nullopt},
    RulesetCase{"PortInASetRange", "accept", {{"input", {kPortRange, kDrop}}}, "eth0", "inet t input: rule 2 (drop)"},
    RulesetCase{"OtherInterface", "drop", {{"input", {kEthernet, kScanPort, kAccept}}}, "wlan0", "inet t input: policy drop"},
    RulesetCase{"OtherProtocol", "drop", {{"input", {kSsh, kAccept}}}, "eth0", "inet t input: policy drop"},
    RulesetCase{"SourceCannotBeTold", "drop", {{"input", {kSource, kAccept}}}, "eth0", std::nullopt},
    RulesetCase{"JumpAccepts", "drop", {{"input", {kJump}}, {"input", {kDrop}}, {"side", {kScanPort, kAccept}}}, "eth0", std::nullopt},
    RulesetCase{"JumpReturns", "accept", {{"input", {kJump}}, {"input", {kDrop}}, {"side", {kScanPort, kReturn}}}, "eth0", "inet t input: rule 3 (drop)"},
    RulesetCase{"GotoEndsTheCaller", "drop", {{"input", {kGoto}}, {"input", {kAccept}}}, "eth0", "inet t input: policy drop"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on
