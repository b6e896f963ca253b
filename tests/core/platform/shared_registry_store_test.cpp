// The store as several running programs, a person with an editor and a damaged disk meet it.
#include "platform/registry.h"
#include "platform/registry_text.h"
#include "platform/registry_tree.h"

#include "support/odd_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using platform::RegistryBatch;
using platform::RegistryError;
using platform::RegistryStore;
using platform::RegType;
using platform::RegValue;
using testsupport::OddFile;

namespace {

const QString kWindowKey = QStringLiteral("\\software\\Kestrelwald\\TorvaneScan");
const QString kPageKey = kWindowKey + QStringLiteral("\\TGWConfigFileSheetCaption");

RegValue text(const QString& value) {
    return RegValue{RegType::String, value, 0, {}};
}

QString textOf(const RegistryStore& store, const QString& key, const QString& name) {
    const std::optional<RegValue> found = store.value(key, name);
    return found ? found->text : QStringLiteral("<missing>");
}

QByteArray fileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class SharedStore : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Kestrelwald/registry.txt"));
};

} // namespace

TEST_F(SharedStore, EachWriteKeepsWhatAnotherProgramWroteMeanwhile) {
    RegistryStore a(path);
    RegistryStore b(path);
    a.load();
    b.load();
    // b chooses a description file; a, started before, then stores its window position.
    b.setValue(kPageKey, "EditTGWCurrentFilePath", text("/b/chosen.gdf"));
    a.setValue(kWindowKey, "SelectedAdapterIp", text("10.0.0.1"));
    {
        RegistryBatch batch(a);
        a.setValue(kWindowKey, "WindowState", text("0"));
        a.setValue(kWindowKey, "DefaultMonitor", text("1"));
        batch.commit();
    }
    const RegistryStore fresh(path);
    EXPECT_EQ(textOf(fresh, kPageKey, "EditTGWCurrentFilePath"), "/b/chosen.gdf");
    EXPECT_EQ(textOf(fresh, kWindowKey, "SelectedAdapterIp"), "10.0.0.1");
    EXPECT_EQ(textOf(fresh, kWindowKey, "DefaultMonitor"), "1");
    // After its write a knows what b wrote; b learns of a's values when it looks again.
    EXPECT_EQ(textOf(a, kPageKey, "EditTGWCurrentFilePath"), "/b/chosen.gdf");
    EXPECT_EQ(textOf(b, kWindowKey, "SelectedAdapterIp"), "<missing>");
    b.refresh();
    EXPECT_EQ(textOf(b, kWindowKey, "SelectedAdapterIp"), "10.0.0.1");

    // A value both write is the last writer's.
    a.setValue(kPageKey, "EditTGWCurrentFilePath", text("/a/own.gdf"));
    EXPECT_EQ(textOf(RegistryStore(path), kPageKey, "EditTGWCurrentFilePath"), "/a/own.gdf");
}

TEST_F(SharedStore, ABatchEndedWithoutCommitTakesItsChangesBack) {
    RegistryStore store(path);
    store.setValue(kWindowKey, "Kept", text("1"));
    const QByteArray before = fileContent(path);
    {
        RegistryBatch batch(store);
        store.setValue(kWindowKey, "Kept", text("2"));
        EXPECT_TRUE(store.createKey(kWindowKey + "\\New"));
        EXPECT_EQ(textOf(store, kWindowKey, "Kept"), "2"); // seen while the batch is open
        EXPECT_EQ(fileContent(path), before);              // but not yet written
    }
    EXPECT_EQ(textOf(store, kWindowKey, "Kept"), "1");
    EXPECT_FALSE(store.keyExists(kWindowKey + "\\New"));
    EXPECT_EQ(fileContent(path), before);
}

TEST_F(SharedStore, TwoProgramsWritingAtOnceLoseNothing) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    constexpr int kWrites = 150;
    const auto writer = [this](const QString& prefix) {
        RegistryStore store(path);
        store.load();
        for (int i = 0; i < kWrites; ++i)
            store.setValue(kWindowKey, prefix + QString::number(i), text(prefix));
    };
    std::thread first(writer, QStringLiteral("a"));
    std::thread second(writer, QStringLiteral("b"));
    first.join();
    second.join();
    const RegistryStore fresh(path);
    EXPECT_EQ(fresh.valueNames(kWindowKey).size(), 2 * kWrites);
}

TEST_F(SharedStore, AStoreDamagedWhileRunningIsNeitherOverwrittenNorForgotten) {
    RegistryStore store(path);
    store.setValue(kWindowKey, "Kept", text("1"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("edited by hand, badly\n");
    file.close();
    EXPECT_THROW(store.setValue(kWindowKey, "Other", text("2")), RegistryError);
    EXPECT_EQ(fileContent(path), "edited by hand, badly\n");
    store.refresh(); // what cannot be read now does not wipe what was read
    EXPECT_EQ(textOf(store, kWindowKey, "Kept"), "1");
}

TEST_F(SharedStore, OddStoresAreReportedLeftAsTheyAreAndNeverReplaced) {
    for (const OddFile kind : testsupport::kOddFiles) {
        SCOPED_TRACE(testsupport::oddFileName(kind));
        QTemporaryDir own;
        const QString odd = own.filePath("registry.txt");
        ASSERT_TRUE(testsupport::makeOddFile(odd, kind));
        RegistryStore store(odd);
        store.load();
        const QString problem = store.takeLoadProblem();
        EXPECT_TRUE(problem.contains("cannot be read")) << problem.toStdString();
        EXPECT_FALSE(store.createKey(kWindowKey));
        EXPECT_THROW(store.setValue(kWindowKey, "A", text("1")), RegistryError);
        RegistryBatch batch(store);
        EXPECT_THROW(store.setValue(kWindowKey, "B", text("2")), RegistryError);
        EXPECT_NO_THROW(batch.commit());
        EXPECT_TRUE(testsupport::oddFileIsIntact(odd, kind));
    }
}

TEST(RegistryStoreSize, ManyValuesAreReadAndWrittenBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("registry.txt");
    QByteArray content = "[software\\Kestrelwald\\TorvaneScan]\n";
    constexpr int kValues = 30000;
    for (int i = 0; i < kValues; ++i)
        content += "\"Value" + QByteArray::number(i) + "\"=\"" + QByteArray::number(i) + "\"\n";
    content += "\"VALUE7\"=\"again\"\n"; // the same name in other letters replaces the value
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    RegistryStore store(path);
    store.load();
    EXPECT_TRUE(store.takeLoadProblem().isEmpty());
    EXPECT_EQ(store.valueNames(kWindowKey).size(), kValues);
    EXPECT_EQ(textOf(store, kWindowKey, "value29999"), "29999");
    EXPECT_EQ(textOf(store, kWindowKey, "Value7"), "again");
    store.setValue(kWindowKey, "Value0", text("changed"));
    EXPECT_EQ(RegistryStore(path).valueNames(kWindowKey).size(), kValues);
}

TEST(RegistryNames, FoldAsTheCaseInsensitiveComparisonDoes) {
    const QString names[] = {QStringLiteral("UserLang"),       QStringLiteral("USERLANG"),
                             QString::fromUtf8("Ärger"),       QString::fromUtf8("äRGER"),
                             QString::fromUtf8("Straße"),      QStringLiteral("STRASSE"),
                             QString::fromUtf8("ΣΊΣΥΦΟΣ"),     QString::fromUtf8("σίσυφος"),
                             QString::fromUtf8("σίσυφοσ"),
                             QString::fromUtf8("\U00010400x"), // Deseret capital long I
                             QString::fromUtf8("\U00010428X"), // and its small letter
                             QString(QChar(0xD801)) + u'x',    // a lone surrogate
                             QString(QChar(0xD802)) + u'x'};
    for (const QString& a : names) {
        for (const QString& b : names) {
            EXPECT_EQ(platform::foldedName(a) == platform::foldedName(b),
                      a.compare(b, Qt::CaseInsensitive) == 0)
                << a.toStdString() << " / " << b.toStdString();
        }
    }
}
