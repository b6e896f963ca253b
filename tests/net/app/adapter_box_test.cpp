// The adapter box: the host's addresses to choose from, or an address typed by the user.
#include "support/form_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

QStringList entries(const QComboBox& box) {
    QStringList texts;
    for (int index = 0; index < box.count(); ++index)
        texts.append(box.itemText(index));
    return texts;
}

} // namespace

TEST(AdapterBox, ATypedAddressIsTheCurrentTextButNeverJoinsTheList) {
    FormFixture f;
    f.activate();
    ASSERT_TRUE(f.waitForScanEnd());
    QComboBox& box = *f.parts().ComboBoxAdapter;
    const QStringList hostAddresses = entries(box);
    ASSERT_FALSE(hostAddresses.isEmpty());

    for (const char* typed : {"10.1.2.3", "10.1.2.4"}) {
        box.lineEdit()->clear();
        QTest::keyClicks(box.lineEdit(), QString::fromLatin1(typed));
        QTest::keyClick(box.lineEdit(), Qt::Key_Return);
        EXPECT_EQ(box.currentText(), typed);
        EXPECT_EQ(entries(box), hostAddresses);
    }
}
