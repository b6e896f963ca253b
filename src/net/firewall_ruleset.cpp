#include "net/firewall_ruleset.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <functional>
#include <vector>

namespace net {

namespace {

constexpr int kAnswerPort = 55808;
constexpr int kUdpProtocol = 17;
// nft refuses loops; this only guards against a ruleset text that was not made by nft.
constexpr int kDeepestJump = 16;

enum class Truth { False, True, Unknown };

// Continue: the next rule decides; Return: the chain ends, its caller's next rule decides.
enum class Outcome { Continue, Return, Accept, Drop, Unknown };

struct Result {
    Outcome outcome = Outcome::Continue;
    QString where;
};

struct Chain {
    QString family;
    QString table;
    QString name;
    QString hook;
    QString policy;
    int priority = 0;
    std::vector<QJsonObject> rules;

    QString title() const { return family + u' ' + table + u' ' + name; }
};

QString chainKey(const QJsonObject& object, const char* nameField) {
    return object[QLatin1String("family")].toString() + u'\n' +
           object[QLatin1String("table")].toString() + u'\n' +
           object[QLatin1String(nameField)].toString();
}

Truth negated(Truth truth) {
    switch (truth) {
    case Truth::False:
        return Truth::True;
    case Truth::True:
        return Truth::False;
    case Truth::Unknown:
        break;
    }
    return Truth::Unknown;
}

// Whether the packet's value is among right: a single value, a list or an anonymous set,
// whose elements element() judges. A named set ("@name") holds what only nft knows.
Truth contains(const QJsonValue& right, const std::function<Truth(const QJsonValue&)>& element) {
    QJsonArray elements;
    if (right.isArray())
        elements = right.toArray();
    else if (right.isObject() && right.toObject().contains(QLatin1String("set")))
        elements = right[QLatin1String("set")].toArray();
    else if (right.isString() && right.toString().startsWith(u'@'))
        return Truth::Unknown;
    else
        elements.append(right);
    Truth found = Truth::False;
    for (const QJsonValue& value : elements) {
        const Truth truth = element(value);
        if (truth == Truth::True)
            return Truth::True;
        if (truth == Truth::Unknown)
            found = Truth::Unknown;
    }
    return found;
}

Truth isPort(const QJsonValue& value) {
    if (value.isDouble())
        return value.toInt() == kAnswerPort ? Truth::True : Truth::False;
    const QJsonArray range = value[QLatin1String("range")].toArray();
    if (range.size() == 2 && range[0].isDouble() && range[1].isDouble())
        return range[0].toInt() <= kAnswerPort && kAnswerPort <= range[1].toInt() ? Truth::True
                                                                                  : Truth::False;
    return Truth::Unknown;
}

Truth isUdp(const QJsonValue& value) {
    if (value.isString())
        return value.toString() == QLatin1String("udp") ? Truth::True : Truth::False;
    if (value.isDouble())
        return value.toInt() == kUdpProtocol ? Truth::True : Truth::False;
    return Truth::Unknown;
}

Truth isWord(const QJsonValue& value, const QString& word) {
    if (!value.isString())
        return Truth::Unknown;
    return value.toString() == word ? Truth::True : Truth::False;
}

class Walk {
public:
    Walk(const QJsonArray& ruleset, const QString& interfaceName) : interfaceName(interfaceName) {
        for (const QJsonValue& entry : ruleset) {
            const QJsonObject chain = entry[QLatin1String("chain")].toObject();
            if (!chain.isEmpty()) {
                Chain& known = chains[chainKey(chain, "name")];
                known.family = chain[QLatin1String("family")].toString();
                known.table = chain[QLatin1String("table")].toString();
                known.name = chain[QLatin1String("name")].toString();
                known.hook = chain[QLatin1String("hook")].toString();
                known.policy = chain[QLatin1String("policy")].toString();
                known.priority = chain[QLatin1String("prio")].toInt();
            }
            const QJsonObject rule = entry[QLatin1String("rule")].toObject();
            if (!rule.isEmpty())
                chains[chainKey(rule, "chain")].rules.push_back(rule);
        }
    }

    std::optional<QString> dropPoint() const {
        std::vector<const Chain*> inputChains;
        for (const Chain& chain : chains) {
            const bool ipv4 =
                chain.family == QLatin1String("ip") || chain.family == QLatin1String("inet");
            if (ipv4 && chain.hook == QLatin1String("input"))
                inputChains.push_back(&chain);
        }
        std::sort(inputChains.begin(), inputChains.end(), [](const Chain* a, const Chain* b) {
            return a->priority != b->priority ? a->priority < b->priority : a->title() < b->title();
        });
        // Every base chain of the hook sees the packet unless an earlier one dropped it; one
        // that drops it for certain decides, whatever the others do.
        for (const Chain* chain : inputChains) {
            Result result = walk(*chain, 0);
            if (result.outcome == Outcome::Continue && chain->policy == QLatin1String("drop"))
                result = {Outcome::Drop, chain->title() + QStringLiteral(": policy drop")};
            if (result.outcome == Outcome::Drop)
                return result.where;
        }
        return std::nullopt;
    }

private:
    Result walk(const Chain& chain, int depth) const {
        if (depth > kDeepestJump)
            return {Outcome::Unknown, {}};
        for (const QJsonObject& rule : chain.rules) {
            const Result result = applyRule(chain, rule, depth);
            if (result.outcome == Outcome::Return)
                return {};
            if (result.outcome != Outcome::Continue)
                return result;
        }
        return {};
    }

    // What one rule does with the packet; Continue when it lets the next rule decide.
    Result applyRule(const Chain& chain, const QJsonObject& rule, int depth) const {
        bool uncertain = false;
        for (const QJsonValue& statement : rule[QLatin1String("expr")].toArray()) {
            const QJsonObject object = statement.toObject();
            if (object.size() != 1)
                return {Outcome::Unknown, {}};
            const QString kind = object.begin().key();
            const QJsonValue argument = object.begin().value();
            if (kind == QLatin1String("match")) {
                const Truth truth = match(argument.toObject());
                if (truth == Truth::False)
                    return {};
                uncertain |= truth == Truth::Unknown;
                continue;
            }
            if (kind == QLatin1String("counter") || kind == QLatin1String("log"))
                continue;
            if (uncertain)
                return {Outcome::Unknown, {}};
            if (kind == QLatin1String("accept"))
                return {Outcome::Accept, {}};
            if (kind == QLatin1String("drop") || kind == QLatin1String("reject"))
                return {Outcome::Drop,
                        chain.title() + QStringLiteral(": rule %1 (%2)")
                                            .arg(rule[QLatin1String("handle")].toInt())
                                            .arg(kind)};
            if (kind == QLatin1String("return"))
                return {Outcome::Return, {}};
            if (kind == QLatin1String("continue"))
                return {};
            if (kind == QLatin1String("jump") || kind == QLatin1String("goto"))
                return jump(chain, argument[QLatin1String("target")].toString(),
                            kind == QLatin1String("goto"), depth);
            return {Outcome::Unknown, {}};
        }
        // Only matches and counters: the next rule decides.
        return {};
    }

    Result jump(const Chain& from, const QString& target, bool isGoto, int depth) const {
        const auto to = chains.constFind(from.family + u'\n' + from.table + u'\n' + target);
        if (to == chains.cend())
            return {Outcome::Unknown, {}};
        Result result = walk(*to, depth + 1);
        // Returning from a goto's chain returns from the chain that went there too; from
        // a base chain that means its policy.
        if (isGoto && result.outcome == Outcome::Continue)
            result.outcome = Outcome::Return;
        return result;
    }

    Truth match(const QJsonObject& match) const {
        const QString op = match[QLatin1String("op")].toString();
        const QJsonObject left = match[QLatin1String("left")].toObject();
        const QJsonValue right = match[QLatin1String("right")];
        Truth truth = Truth::Unknown;
        if (op == QLatin1String("==") || op == QLatin1String("in"))
            truth = holds(left, right);
        else if (op == QLatin1String("!="))
            truth = negated(holds(left, right));
        return truth;
    }

    // Whether the packet's value of left is among right.
    Truth holds(const QJsonObject& left, const QJsonValue& right) const {
        if (left.contains(QLatin1String("ct"))) {
            const QString key = left[QLatin1String("ct")][QLatin1String("key")].toString();
            if (key == QLatin1String("state"))
                return contains(right, [](const QJsonValue& v) { return isWord(v, "new"); });
            // A new packet has none of the status bits (dnat, snat, seen-reply ...) yet.
            if (key == QLatin1String("status"))
                return Truth::False;
            return Truth::Unknown;
        }
        if (left.contains(QLatin1String("meta"))) {
            const QString key = left[QLatin1String("meta")][QLatin1String("key")].toString();
            if (key == QLatin1String("iif") || key == QLatin1String("iifname"))
                return contains(right, [this](const QJsonValue& v) { return isInterface(v); });
            if (key == QLatin1String("l4proto"))
                return contains(right, isUdp);
            if (key == QLatin1String("nfproto"))
                return contains(right, [](const QJsonValue& v) { return isWord(v, "ipv4"); });
            return Truth::Unknown;
        }
        if (left.contains(QLatin1String("payload"))) {
            const QJsonObject payload = left[QLatin1String("payload")].toObject();
            const QString protocol = payload[QLatin1String("protocol")].toString();
            const QString field = payload[QLatin1String("field")].toString();
            if (protocol == QLatin1String("udp") || protocol == QLatin1String("th")) {
                if (field == QLatin1String("dport") || field == QLatin1String("sport"))
                    return contains(right, isPort);
                return Truth::Unknown;
            }
            if (protocol == QLatin1String("ip"))
                return field == QLatin1String("protocol") ? contains(right, isUdp) : Truth::Unknown;
            // A header the packet does not have: IPv6, another transport, ICMP.
            static const QStringList kOtherHeaders = {
                QStringLiteral("ip6"),     QStringLiteral("tcp"),  QStringLiteral("icmp"),
                QStringLiteral("icmpv6"),  QStringLiteral("sctp"), QStringLiteral("dccp"),
                QStringLiteral("udplite"), QStringLiteral("igmp")};
            if (kOtherHeaders.contains(protocol))
                return Truth::False;
        }
        return Truth::Unknown;
    }

    Truth isInterface(const QJsonValue& value) const {
        if (!value.isString())
            return Truth::Unknown;
        const QString name = value.toString();
        if (name.endsWith(u'*'))
            return interfaceName.startsWith(name.chopped(1)) ? Truth::True : Truth::False;
        return name == interfaceName ? Truth::True : Truth::False;
    }

    QHash<QString, Chain> chains;
    QString interfaceName;
};

} // namespace

std::optional<QString> answerDropPoint(const QByteArray& rulesetJson,
                                       const QString& interfaceName) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(rulesetJson, &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return Walk(document[QLatin1String("nftables")].toArray(), interfaceName).dropPoint();
}

} // namespace net
