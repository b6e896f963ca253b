// The first activation: configuration file, description file, adapter choice, switches.
#include "support/event_pump.h"
#include "support/form_fixture.h"

#include "platform/registry.h"
#include "platform/version_record.h"
#include "ui/options_dialog.h"
#include "ui/state_window.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

FormFixture::Options withConfig(const QString& section) {
    FormFixture::Options options;
    options.timerSection = section;
    return options;
}

FormFixture::Options withoutConfig() {
    FormFixture::Options options;
    options.timerSection.reset();
    return options;
}

std::array<int, 3> intervals(FormFixture& f) {
    return {f.form().timerIntervals().scanPeriod, f.form().timerIntervals().changeWatch,
            f.form().timerIntervals().readPace};
}

const QString kLoggedIntervals = QStringLiteral("Setting timer intervals from config.ini");

} // namespace

TEST(StartupTimers, IntervalsFollowEachKindOfConfigFile) {
    {
        FormFixture f(withConfig(QStringLiteral("TimerScan=4000\n")));
        f.activate();
        EXPECT_EQ(intervals(f), (std::array<int, 3>{4000, 1500, 200}));
        EXPECT_TRUE(f.logContains(kLoggedIntervals));
    }
    {
        FormFixture f(withConfig(QStringLiteral("TimerScan=0x1F4\nTimerSetParam=abc\n")));
        f.activate();
        EXPECT_EQ(intervals(f), (std::array<int, 3>{500, 1500, 200}));
    }
    {
        FormFixture f(withoutConfig());
        f.activate();
        EXPECT_EQ(intervals(f), (std::array<int, 3>{2500, 200, 1500}));
        EXPECT_FALSE(f.logContains(kLoggedIntervals));
    }
    {
        FormFixture f(withConfig(QString()));
        f.activate();
        EXPECT_EQ(intervals(f), (std::array<int, 3>{2500, 200, 1500}));
        EXPECT_FALSE(f.logContains(kLoggedIntervals));
    }
    {
        // An interval of 0 would fire without pause: the design interval stays.
        FormFixture f(
            withConfig(QStringLiteral("TimerScan=0\nTimerSetParam=-5\nTimerGetParams=300\n")));
        f.activate();
        EXPECT_EQ(intervals(f), (std::array<int, 3>{2500, 200, 300}));
    }
}

TEST(StartupDescriptionFile, FirstStartWarnsAndStoresTheDefault) {
    FormFixture::Options options;
    options.storedDescriptionFile = false;
    FormFixture f(options);
    f.activate();
    const auto messages = f.boxes.messages();
    ASSERT_EQ(messages.size(), 1u);
    const QString defaultPath = f.programDir() + "gdf/Pellmar.gdf";
    EXPECT_EQ(messages[0].caption, f.form().translate("Configuration_warning warning"));
    EXPECT_EQ(messages[0].text,
              f.form().translate("GDF_not_found_using_default") + "\r\n" + defaultPath);
    EXPECT_EQ(messages[0].icon, platform::MessageBoxes::Icon::Warning);
    platform::Registry reg(f.store());
    ASSERT_TRUE(
        reg.openKey("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\TGWConfigFileSheetCaption", false));
    EXPECT_EQ(reg.readString("EditTGWCurrentFilePath"), defaultPath);
    const QString version = f.form().versionText();
    EXPECT_EQ(version, QStringLiteral("V %1 [GDF 2.4]").arg(platform::GetProductVersionString()));
}

TEST(StartupDescriptionFile, MissingDefaultGivesBothWarningsAndVersionOne) {
    FormFixture::Options options;
    options.storedDescriptionFile = false;
    FormFixture f(options);
    QFile::remove(f.programDir() + "gdf"); // the link to the shipped folder
    f.activate();
    const auto messages = f.boxes.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].caption, f.form().translate("Configuration_warning"));
    EXPECT_EQ(messages[1].text, f.form().translate("GDF_not_found"));
    EXPECT_EQ(f.form().versionText(),
              QStringLiteral("V %1 [GDF 1]").arg(platform::GetProductVersionString()));
    // The program runs on with an empty table and scans.
    EXPECT_FALSE(f.parts().ButtonScan->isEnabled());
}

TEST(StartupDescriptionFile, ABadKeyIsReportedAndTheStartUpGoesOn) {
    FormFixture::Options options;
    options.storedDescriptionFile = false;
    FormFixture f(options);
    QFile::remove(f.programDir() + "gdf");
    QDir().mkpath(f.programDir() + "gdf");
    QFile file(f.programDir() + "gdf/Pellmar.gdf");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nVersion=7\n[names]\n0x0101=First\n0xZZ=Broken\n0x0102=Never\n");
    file.close();
    f.activate();
    const auto messages = f.boxes.messages();
    ASSERT_EQ(messages.size(), 2u); // the first-start warning, then the key error
    EXPECT_EQ(messages[1].icon, platform::MessageBoxes::Icon::Error);
    EXPECT_TRUE(messages[1].text.contains("0xZZ"));
    EXPECT_TRUE(messages[1].text.contains("5"));
    EXPECT_EQ(f.form().deviceTypeName(0x0101), QString("First"));
    EXPECT_FALSE(f.form().deviceTypeName(0x0102));
    // Buttons disabled and the first scan under way, as after any start.
    EXPECT_TRUE(f.form().scanRunning());
    EXPECT_FALSE(f.parts().ButtonSet->isEnabled());
}

TEST(StartupAdapter, StoredAdapterIsChosenWhenLocalAndDecidesTheFocus) {
    {
        FormFixture f;
        f.activate();
        EXPECT_EQ(f.parts().ComboBoxAdapter->currentText(), "127.0.0.1");
        EXPECT_EQ(f.form().focusWidget(), f.parts().ComboBoxAdapter);
    }
    {
        FormFixture f;
        platform::Registry reg(f.store());
        ASSERT_TRUE(reg.openKey("\\software\\Kestrelwald\\TorvaneScan", true));
        reg.writeString("SelectedAdapterIp", "10.99.99.99");
        f.activate();
        EXPECT_EQ(f.parts().ComboBoxAdapter->currentIndex(), 0);
        // The focus went to Scan; the first scan disables the button, which hands the focus
        // on along the tab chain, never back to the adapter box.
        EXPECT_NE(f.form().focusWidget(), f.parts().ComboBoxAdapter);
    }
}

TEST(StartupSwitch, SlashDInAnyCaseShowsTheStateWindow) {
    for (const auto& [argument, shown] :
         {std::pair{"/d", true}, std::pair{"/D", true}, std::pair{"-D", false}}) {
        FormFixture::Options options;
        options.arguments = {QStringLiteral("other"), QString::fromLatin1(argument)};
        FormFixture f(options);
        f.activate();
        EXPECT_EQ(f.stateWindow().isVisible(), shown) << argument;
    }
}

TEST(StartupSequence, RunsOnceAndEndsWithTheFirstScan) {
    FormFixture f;
    f.activate();
    EXPECT_FALSE(f.form().firstActivationPending());
    EXPECT_TRUE(f.form().scanRunning());
    EXPECT_EQ(f.logCountEndingWith("Create Socket, current handle 0"), 1);
    f.activate(); // a later activation does nothing
    EXPECT_EQ(f.logCountEndingWith("Create Socket, current handle 0"), 1);
    EXPECT_EQ(f.form().stateTexts().notAvailable, f.form().translate("StatusNotAvailText"));
    EXPECT_EQ(f.about().additionalVersionInfo, "[GDF 2.4]");
    EXPECT_EQ(f.about().windowTitle(), "TORVANE Scan");
    ASSERT_TRUE(f.waitForScanEnd());
}

TEST(SettingsCommand, ConfirmedFileIsReadAgainAndAMissingOneChangesNothing) {
    FormFixture f;
    f.activate();
    ASSERT_TRUE(f.waitForScanEnd());
    QFile file(f.programDir() + "other.gdf");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nVersion=9\n[names]\n0x0101=Renamed\n");
    file.close();

    const auto confirmWith = [&f](const QString& path) {
        QTimer::singleShot(0, [&f, path] {
            f.settings().SetProp("EditTGWCurrentFilePath", path);
            f.settings().OKBtn->click();
        });
        f.form().Settings1Click();
    };
    confirmWith(f.programDir() + "other.gdf");
    EXPECT_EQ(f.form().deviceTypeName(0x0101), QString("Renamed"));
    EXPECT_TRUE(f.form().versionText().endsWith("[GDF 9]"));

    const std::size_t before = f.boxes.messages().size();
    confirmWith(f.programDir() + "missing.gdf");
    ASSERT_EQ(f.boxes.messages().size(), before + 1);
    EXPECT_EQ(f.boxes.messages().back().text, f.form().translate("GDF_not_found_Nothing_changed"));
    EXPECT_EQ(f.form().deviceTypeName(0x0101), QString("Renamed"));
}
