// Tests and translations find the main window's controls by their object names.
#include "support/form_fixture.h"

#include <QMap>

#include <gtest/gtest.h>

using namespace testsupport;

TEST(WindowParts, NoTwoPartsOfTheWindowShareAName) {
    FormFixture f;
    f.activate();
    QMap<QString, int> uses;
    for (const QObject* part : f.form().findChildren<QObject*>()) {
        const QString name = part->objectName();
        // The toolkit names the inner parts of its widgets itself.
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            ++uses[name];
    }
    for (auto use = uses.cbegin(); use != uses.cend(); ++use)
        EXPECT_EQ(use.value(), 1) << use.key().toStdString();
}
