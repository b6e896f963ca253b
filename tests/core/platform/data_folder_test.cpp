#include "platform/data_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A prefix as an installation lays it out: bin/ for the program, share/torvanescan/ for its
// files; each case puts its entries into one of the two.
class DataFolder : public ::testing::Test {
protected:
    QString bin() const { return root.filePath("bin") + "/"; }
    QString share() const { return root.filePath("share/torvanescan") + "/"; }

    void makeFolder(const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); }
    void makeFile(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        makeFolder(bin());
    }

    QTemporaryDir root;
};

} // namespace

TEST_F(DataFolder, FilesBesideTheProgramWinAsInTheBuildTree) {
    for (const char* entry : {"lang", "gdf", "config", "help"}) {
        SCOPED_TRACE(entry);
        const QTemporaryDir other;
        const QString programDir = other.path() + "/bin/";
        makeFolder(programDir + entry);
        makeFolder(other.path() + "/share/torvanescan/lang");
        EXPECT_EQ(platform::dataFolder(programDir), programDir);
    }
}

TEST_F(DataFolder, AnInstalledProgramFindsItsFilesUnderShare) {
    makeFolder(share() + "lang");
    EXPECT_EQ(platform::dataFolder(bin()), share());
    // The path comes without the "..", as the program shows it in its messages.
    EXPECT_FALSE(platform::dataFolder(bin()).contains(".."));
    // Qt gives the program's folder without the closing slash.
    EXPECT_EQ(platform::dataFolder(root.filePath("bin")), share());
}

TEST_F(DataFolder, TheChangeLogAloneCountsAsProgramFiles) {
    makeFile(bin() + "lastCommits.ini");
    makeFolder(share() + "gdf");
    EXPECT_EQ(platform::dataFolder(bin()), bin());
}

TEST_F(DataFolder, AFileNamedLikeADataFolderDoesNotCount) {
    makeFile(bin() + "lang");
    makeFolder(share() + "help");
    EXPECT_EQ(platform::dataFolder(bin()), share());
}

TEST_F(DataFolder, WithoutFilesAnywhereTheProgramsOwnFolderStays) {
    EXPECT_EQ(platform::dataFolder(bin()), bin());
    // share/torvanescan exists but is empty: still nothing found there.
    makeFolder(share());
    EXPECT_EQ(platform::dataFolder(bin()), bin());
}
