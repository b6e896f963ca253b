#include "cli/stored_choices.h"

#include "platform/registry.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::RegistryStore;
using platform::RegType;
using platform::RegValue;

namespace {

const QString kWindowKey = QStringLiteral("\\SOFTWARE\\Kestrelwald\\TorvaneScan");
const QString kPageKey = kWindowKey + QStringLiteral("\\TGWConfigFileSheetCaption");

RegValue text(const QString& value) {
    return RegValue{RegType::String, value, 0, {}};
}

class StoredChoices : public ::testing::Test {
protected:
    QTemporaryDir folder;
    RegistryStore store{folder.filePath("registry.txt")};
};

} // namespace

TEST_F(StoredChoices, AdapterIsTheStoredOneWhileItIsLocal) {
    const QStringList local{"10.77.0.1", "10.78.0.1"};
    EXPECT_EQ(cli::windowAdapter(store, local), "10.77.0.1");
    EXPECT_EQ(cli::windowAdapter(store, {}), "");

    store.setValue(kWindowKey, "SelectedAdapterIp", text("10.78.0.1"));
    EXPECT_EQ(cli::windowAdapter(store, local), "10.78.0.1");
    EXPECT_EQ(cli::windowAdapter(store, {"10.77.0.1"}), "10.77.0.1");

    store.setValue(kWindowKey, "SelectedAdapterIp", RegValue{RegType::Integer, {}, 7, {}});
    EXPECT_EQ(cli::windowAdapter(store, local), "10.77.0.1");
}

TEST_F(StoredChoices, DescriptionFileIsTheChosenOneWhenItExists) {
    const QString programDir = folder.path() + "/bin/";
    EXPECT_EQ(cli::windowDescriptionFile(store, programDir), programDir + "gdf/Pellmar.gdf");

    const QString chosen = folder.filePath("plant.gdf");
    store.setValue(kPageKey, "EditTGWCurrentFilePath", text(chosen));
    EXPECT_EQ(cli::windowDescriptionFile(store, programDir), programDir + "gdf/Pellmar.gdf");
    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(cli::windowDescriptionFile(store, programDir), chosen);
}
