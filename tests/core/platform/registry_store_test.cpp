#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

using platform::RegistryError;
using platform::RegistryStore;
using platform::RegType;
using platform::RegValue;

namespace {

const QString kWindowKey = QStringLiteral("\\software\\Kestrelwald\\TorvaneScan");

RegValue text(const QString& value) {
    return RegValue{RegType::String, value, 0, {}};
}
RegValue number(qint32 value) {
    return RegValue{RegType::Integer, {}, value, {}};
}
RegValue bytes(const QByteArray& value) {
    return RegValue{RegType::Binary, {}, 0, value};
}

QByteArray fileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
}

// Files may grow no larger than the limit while it lives: a write past it fails as on a
// full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

class RegistryStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Kestrelwald/registry.txt"));

    QStringList backups() const {
        return QDir(dir.filePath(QStringLiteral("Kestrelwald")))
            .entryList({QStringLiteral("registry.txt.broken-*")}, QDir::Files, QDir::Name);
    }
};

TEST_F(RegistryStoreTest, TypedValuesSurviveAReload) {
    const QString awkward = QStringLiteral("quote \" backslash \\ tab\t cr\r lf\n bell\a "
                                           "del\x7f umlaut \u00e4 euro \u20ac ") +
                            QString::fromUcs4(U"\U0001F600") + QChar(0xD800) + u'x';
    const QByteArray binary("\x00\x01\xfe\xff\x7f", 5);
    {
        RegistryStore store(path);
        store.load();
        store.setValue(kWindowKey, "Name", text(awkward));
        store.setValue(kWindowKey, "Empty", text(QString()));
        store.setValue(kWindowKey, "Negative", number(-8));
        store.setValue(kWindowKey, "Largest", number(2147483647));
        store.setValue(kWindowKey, "Bytes", bytes(binary));
        store.setValue(kWindowKey, "NoBytes", bytes(QByteArray()));
        store.setValue(kWindowKey, "=odd \"name\"", number(1));
    }
    RegistryStore reloaded(path);
    reloaded.load();
    EXPECT_TRUE(reloaded.takeLoadProblem().isEmpty());
    EXPECT_EQ(reloaded.value(kWindowKey, "Name")->text, awkward);
    EXPECT_EQ(reloaded.value(kWindowKey, "Empty")->type, RegType::String);
    EXPECT_TRUE(reloaded.value(kWindowKey, "Empty")->text.isEmpty());
    EXPECT_EQ(reloaded.value(kWindowKey, "Negative")->number, -8);
    EXPECT_EQ(reloaded.value(kWindowKey, "Largest")->number, 2147483647);
    EXPECT_EQ(reloaded.value(kWindowKey, "Bytes")->bytes, binary);
    EXPECT_EQ(reloaded.value(kWindowKey, "NoBytes")->type, RegType::Binary);
    EXPECT_TRUE(reloaded.value(kWindowKey, "NoBytes")->bytes.isEmpty());
    EXPECT_EQ(reloaded.value(kWindowKey, "=odd \"name\"")->number, 1);
    EXPECT_EQ(reloaded.valueNames(kWindowKey), QStringList({"Name", "Empty", "Negative", "Largest",
                                                            "Bytes", "NoBytes", "=odd \"name\""}));
}

TEST_F(RegistryStoreTest, TheFileIsReadableText) {
    RegistryStore store(path);
    store.setValue(kWindowKey, "SelectedAdapterIp", text("192.168.1.10"));
    store.setValue(kWindowKey, "DefaultMonitor", number(1));
    store.setValue(kWindowKey, "WindowState", bytes(QByteArray("\x02", 1)));
    const QByteArray content = fileContent(path);
    EXPECT_TRUE(content.contains("[software\\Kestrelwald\\TorvaneScan]\n"
                                 "\"SelectedAdapterIp\"=\"192.168.1.10\"\n"
                                 "\"DefaultMonitor\"=dword:00000001\n"
                                 "\"WindowState\"=hex:02\n"))
        << content.constData();
}

TEST_F(RegistryStoreTest, PathsAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    RegistryStore store(path);
    store.setValue("\\software\\Kestrelwald\\", "UserLang", text("english"));
    store.setValue("\\SOFTWARE\\KESTRELWALD", "userlang", text("deutsch"));
    EXPECT_TRUE(store.keyExists("SOFTWARE\\kestrelwald\\"));
    EXPECT_EQ(store.value("\\Software\\Kestrelwald", "USERLANG")->text, "deutsch");
    EXPECT_EQ(store.valueNames("\\software\\Kestrelwald"), QStringList{"UserLang"});

    RegistryStore reloaded(path);
    EXPECT_EQ(reloaded.value("\\SOFTWARE\\Kestrelwald\\", "UserLang")->text, "deutsch");
    EXPECT_TRUE(fileContent(path).contains("[software\\Kestrelwald]"));
}

TEST_F(RegistryStoreTest, KeysAreCreatedWithTheirParentsAndKept) {
    RegistryStore store(path);
    EXPECT_FALSE(store.keyExists(kWindowKey));
    ASSERT_TRUE(store.createKey(kWindowKey));
    EXPECT_TRUE(store.keyExists("\\software"));
    EXPECT_TRUE(store.keyExists("\\software\\Kestrelwald"));
    EXPECT_FALSE(store.keyExists("\\software\\Kestrelwald\\Other"));
    EXPECT_TRUE(store.keyExists("")); // the root always exists

    RegistryStore reloaded(path);
    EXPECT_TRUE(reloaded.keyExists(kWindowKey));
    EXPECT_TRUE(reloaded.valueNames(kWindowKey).isEmpty());
}

TEST_F(RegistryStoreTest, KeyNamesWithUnusualCharactersSurviveAReload) {
    const QStringList names{"100%", "a]b", "tab\there", "[x]", QStringLiteral("\u00fc ")};
    {
        RegistryStore store(path);
        for (const QString& name : names) {
            store.setValue("\\software\\" + name, "v", number(7));
        }
    }
    RegistryStore reloaded(path);
    EXPECT_TRUE(reloaded.takeLoadProblem().isEmpty());
    for (const QString& name : names) {
        EXPECT_EQ(reloaded.value("\\software\\" + name, "v")->number, 7) << name.toStdString();
    }
}

TEST_F(RegistryStoreTest, FirstUseReadsTheFileSoAnEarlyWriteKeepsEarlierValues) {
    {
        RegistryStore store(path);
        store.setValue(kWindowKey, "A", number(1));
    }
    RegistryStore store(path); // no load(): the write must not start from an empty store
    store.setValue(kWindowKey, "B", number(2));
    RegistryStore reloaded(path);
    EXPECT_EQ(reloaded.value(kWindowKey, "A")->number, 1);
    EXPECT_EQ(reloaded.value(kWindowKey, "B")->number, 2);
}

TEST_F(RegistryStoreTest, AFailedWriteKeepsTheOldFileAndTheOldValues) {
    RegistryStore store(path);
    store.setValue(kWindowKey, "SelectedAdapterIp", text("10.0.0.1"));
    const QByteArray before = fileContent(path);
    {
        FileSizeLimit limit(static_cast<rlim_t>(before.size()) + 16);
        EXPECT_THROW(store.setValue(kWindowKey, "Big", text(QString(4096, u'x'))), RegistryError);
        EXPECT_FALSE(store.createKey(kWindowKey + "\\" + QString(4096, u'k')));
    }
    EXPECT_EQ(fileContent(path), before);
    EXPECT_FALSE(store.value(kWindowKey, "Big").has_value());
    EXPECT_FALSE(store.keyExists(kWindowKey + "\\" + QString(4096, u'k')));
    EXPECT_EQ(QDir(dir.filePath("Kestrelwald")).entryList(QDir::Files),
              QStringList{"registry.txt"});         // no temporary file left behind
    store.setValue(kWindowKey, "After", number(3)); // and writing works again
    EXPECT_EQ(RegistryStore(path).value(kWindowKey, "After")->number, 3);
}

TEST_F(RegistryStoreTest, AStoreBelowARegularFileCannotBeWritten) {
    writeFile(dir.filePath("file"), "not a folder");
    RegistryStore store(dir.filePath("file/Kestrelwald/registry.txt"));
    store.load();
    EXPECT_TRUE(store.takeLoadProblem().isEmpty()); // a missing store is no problem
    EXPECT_FALSE(store.createKey(kWindowKey));
    EXPECT_FALSE(store.keyExists(kWindowKey));
    try {
        store.setValue(kWindowKey, "WindowState", bytes(QByteArray(1, '\0')));
        FAIL() << "the write was reported as done";
    } catch (const RegistryError& error) {
        EXPECT_NE(std::string(error.what()).find("WindowState"), std::string::npos);
    }
    EXPECT_FALSE(store.value(kWindowKey, "WindowState").has_value());
}

TEST_F(RegistryStoreTest, ADamagedStoreIsSetAsideReportedOnceAndReplacedByDefaults) {
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Kestrelwald")));
    const QByteArray damaged = "[software\\Kestrelwald]\n\"UserLang\"=\"english\n";
    writeFile(path, damaged);

    RegistryStore store(path);
    store.load();
    const QString problem = store.takeLoadProblem();
    EXPECT_TRUE(problem.contains("line 2")) << problem.toStdString();
    EXPECT_TRUE(problem.contains(path)) << problem.toStdString();
    EXPECT_TRUE(store.takeLoadProblem().isEmpty());
    EXPECT_FALSE(store.keyExists("\\software\\Kestrelwald"));
    EXPECT_FALSE(QFile::exists(path));
    const QStringList aside = backups();
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(problem.contains(aside.first())) << problem.toStdString();
    EXPECT_EQ(fileContent(dir.filePath("Kestrelwald/" + aside.first())), damaged);

    store.setValue(kWindowKey, "DefaultMonitor", number(0));
    EXPECT_EQ(RegistryStore(path).value(kWindowKey, "DefaultMonitor")->number, 0);
    EXPECT_EQ(fileContent(dir.filePath("Kestrelwald/" + aside.first())), damaged);

    // A second damaged store within the same second gets a backup of its own.
    writeFile(path, "garbage");
    RegistryStore again(path);
    EXPECT_FALSE(again.takeLoadProblem().isEmpty());
    EXPECT_EQ(backups().size(), 2);
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeReadIsLeftAloneAndNotOverwritten) {
    ASSERT_TRUE(QDir().mkpath(path)); // a folder where the file should be
    ASSERT_TRUE(QDir().mkpath(path + "/keep"));
    RegistryStore store(path);
    store.load();
    EXPECT_FALSE(store.takeLoadProblem().isEmpty());
    EXPECT_FALSE(store.createKey(kWindowKey));
    EXPECT_THROW(store.setValue(kWindowKey, "A", number(1)), RegistryError);
    EXPECT_TRUE(QDir(path + "/keep").exists());
}

TEST(RegistryStoreLocation, FollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(RegistryStore::defaultFilePath(), "/somewhere/config/Kestrelwald/registry.txt");
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    EXPECT_EQ(RegistryStore::defaultFilePath(),
              QDir::homePath() + "/.config/Kestrelwald/registry.txt");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryStore::defaultFilePath(),
              QDir::homePath() + "/.config/Kestrelwald/registry.txt");
    if (!saved.isNull()) {
        qputenv("XDG_CONFIG_HOME", saved);
    }
    EXPECT_EQ(RegistryStore(QString()).filePath(), RegistryStore::defaultFilePath());
}

TEST(RegistryPath, SplitsAtBackslashesAndDropsEmptyParts) {
    EXPECT_EQ(RegistryStore::splitPath("\\software\\Kestrelwald\\"),
              QStringList({"software", "Kestrelwald"}));
    EXPECT_EQ(RegistryStore::splitPath("a\\\\b"), QStringList({"a", "b"}));
    EXPECT_TRUE(RegistryStore::splitPath("\\").isEmpty());
}

} // namespace
