#include "simulator_test.h"

#include <set>

TEST_F(SimulatorTest, TenThousandDevicesAnswerOneScan) {
    start({}, {"--generate", "10000", "--quiet"});
    send(scan());
    const auto answers = receiveUpTo(*tool, 10000, 60000);
    EXPECT_EQ(answers.size(), 10000u);
    std::set<QString> sources;
    std::set<QByteArray> macs;
    for (const auto& answer : answers) {
        sources.insert(answer.source);
        macs.insert(answer.bytes.mid(2, 6));
    }
    EXPECT_EQ(sources.size(), 10000u);
    EXPECT_EQ(macs.size(), 10000u);
    EXPECT_TRUE(simulator->running());
}
