#include "platform/registry.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::Registry;
using platform::RegistryError;
using platform::RegistryStore;
using platform::RegType;

namespace {

class RegistryAccessorTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RegistryStore store{dir.filePath("registry.txt")};
    Registry reg{store};
};

TEST_F(RegistryAccessorTest, OpensExistingKeysAndCreatesOnlyWhenAllowed) {
    EXPECT_FALSE(reg.hasCurrentKey());
    EXPECT_FALSE(reg.openKey("\\software\\Kestrelwald\\TorvaneScan", false));
    EXPECT_FALSE(reg.hasCurrentKey());
    EXPECT_FALSE(store.keyExists("\\software\\Kestrelwald\\TorvaneScan"));

    ASSERT_TRUE(reg.openKey("\\software\\Kestrelwald\\TorvaneScan", true));
    EXPECT_TRUE(store.keyExists("\\SOFTWARE\\Kestrelwald\\TorvaneScan"));
    EXPECT_EQ(reg.currentPath(), "\\software\\Kestrelwald\\TorvaneScan");

    // A failed open leaves the current key as it was.
    EXPECT_FALSE(reg.openKey("\\software\\Missing", false));
    EXPECT_EQ(reg.currentPath(), "\\software\\Kestrelwald\\TorvaneScan");
    EXPECT_TRUE(reg.openKey("\\SOFTWARE\\KESTRELWALD\\", false));

    reg.closeKey();
    EXPECT_FALSE(reg.hasCurrentKey());
}

TEST_F(RegistryAccessorTest, ReadsValuesOnlyAsTheTypeTheyWereWrittenWith) {
    ASSERT_TRUE(reg.openKey("\\software\\Kestrelwald\\TorvaneScan", true));
    reg.writeString("Text", "abc");
    reg.writeInteger("Number", -5);
    reg.writeBool("Flag", true);
    reg.writeBinaryData("Data", QByteArray("\x01\x02", 2));

    EXPECT_EQ(reg.readString("text"), "abc");
    EXPECT_EQ(reg.readInteger("NUMBER"), -5);
    EXPECT_TRUE(reg.readBool("Flag"));
    EXPECT_EQ(reg.readInteger("Flag"), 1);
    EXPECT_EQ(reg.readBinaryData("Data"), QByteArray("\x01\x02", 2));
    EXPECT_EQ(reg.valueType("Data"), RegType::Binary);
    EXPECT_TRUE(reg.valueExists("data"));

    EXPECT_THROW(reg.readInteger("Text"), RegistryError);
    EXPECT_THROW(reg.readBool("Text"), RegistryError);
    EXPECT_THROW(reg.readBinaryData("Number"), RegistryError);
    EXPECT_THROW(reg.readString("Data"), RegistryError);
    EXPECT_THROW(reg.readString("Number"), RegistryError);

    // Missing values: a string reads as empty, the other types fail.
    EXPECT_FALSE(reg.valueExists("Missing"));
    EXPECT_FALSE(reg.valueType("Missing").has_value());
    EXPECT_TRUE(reg.readString("Missing").isEmpty());
    EXPECT_THROW(reg.readInteger("Missing"), RegistryError);
    EXPECT_THROW(reg.readBinaryData("Missing"), RegistryError);

    reg.writeBool("Flag", false);
    EXPECT_FALSE(reg.readBool("Flag"));
    reg.writeString("Number", "now text"); // a write may change the type
    EXPECT_EQ(reg.valueType("Number"), RegType::String);
}

TEST_F(RegistryAccessorTest, WithoutACurrentKeyNothingIsReadOrWritten) {
    ASSERT_TRUE(store.createKey("\\software"));
    store.setValue("", "RootValue", platform::RegValue{RegType::Integer, {}, 1, {}});
    EXPECT_FALSE(reg.valueExists("RootValue"));
    EXPECT_TRUE(reg.readString("RootValue").isEmpty());
    EXPECT_THROW(reg.readInteger("RootValue"), RegistryError);
    EXPECT_THROW(reg.writeString("X", "y"), RegistryError);
    EXPECT_THROW(reg.writeInteger("X", 1), RegistryError);
    EXPECT_THROW(reg.writeBinaryData("X", {}), RegistryError);
    EXPECT_TRUE(RegistryStore(store.filePath()).valueNames("").contains("RootValue"));
}

TEST_F(RegistryAccessorTest, CreatingAKeyInAnUnwritableStoreFails) {
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore blocked(dir.filePath("file/registry.txt"));
    Registry blockedReg(blocked);
    EXPECT_FALSE(blockedReg.openKey("\\software\\Kestrelwald\\TorvaneScan", true));
    EXPECT_FALSE(blockedReg.hasCurrentKey());
}

} // namespace
