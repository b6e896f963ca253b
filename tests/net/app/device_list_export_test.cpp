// File > Save device list: the scan's devices as the command line's CSV, in a file of the
// user's choosing.
#include "device_bench.h"

#include "support/temp_directory.h"

#include <QAction>
#include <QFile>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

void saveDeviceList(app::TForm1& form) {
    form.findChild<QAction*>(QStringLiteral("actSaveDeviceList"))->trigger();
}

std::string contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<unreadable>";
}

} // namespace

TEST(SaveDeviceList, WritesTheScannedDevicesSortedByIpAsTheCommandLinesCsv) {
    DeviceBench bench;
    // A description file that does not name type 0x0301, two devices sharing one IP, a DHCP
    // client and a device that cannot switch.
    bench.scan(
        {ScanAnswerFields{.mac = "02-00-00-00-00-0A", .ip = "127.0.0.10"},
         ScanAnswerFields{
             .mac = "02-00-00-00-00-09", .ip = "127.0.0.9", .deviceType = 0x0301, .dhcpByte = 0x11},
         ScanAnswerFields{.mac = "02-00-00-00-00-0B",
                          .ip = "127.0.0.10",
                          .revision = "V2,\"b",
                          .dhcpByte = 0x00}});
    TempDirectory folder;
    const QString path = QString::fromStdString(folder.file("devices.csv"));
    bench.f.boxes.fileAnswers.push_back(path);
    saveDeviceList(bench.form);

    ASSERT_FALSE(bench.f.boxes.calls.empty());
    EXPECT_EQ(bench.f.boxes.calls.back().kind, FakeMessageBoxes::Kind::SaveFile);
    EXPECT_EQ(bench.f.boxes.calls.back().caption, "Save device list");
    EXPECT_EQ(bench.f.boxes.calls.back().preset, ".csv");
    EXPECT_EQ(contentOf(path),
              "mac,ip,netmask,gateway,dhcp,restart,type,type_name,revision,duplicate_ip,adapter,"
              "in_adapter_subnet,doubtful,answered_from\r\n"
              "02-00-00-00-00-09,127.0.0.9,255.0.0.0,127.0.0.254,active,true,769,,V1.05,false,"
              "127.0.0.1,true,false,127.0.0.9\r\n"
              "02-00-00-00-00-0A,127.0.0.10,255.0.0.0,127.0.0.254,inactive,true,257,"
              "TORVANE PB-DP Gateway,V1.05,true,127.0.0.1,true,false,127.0.0.10\r\n"
              "02-00-00-00-00-0B,127.0.0.10,255.0.0.0,127.0.0.254,unsupported,false,257,"
              "TORVANE PB-DP Gateway,\"V2,\"\"b\",true,127.0.0.1,true,false,127.0.0.10\r\n");
    EXPECT_TRUE(bench.f.boxes.messages().empty());
    EXPECT_EQ(bench.stampedLineCount("Device list saved to " + path), 1);
}

TEST(SaveDeviceList, ACancelledChooserWritesNothingAndAFileThatCannotBeWrittenIsReported) {
    DeviceBench bench;
    bench.scan({ScanAnswerFields{}});
    TempDirectory folder;
    saveDeviceList(bench.form); // the chooser is cancelled
    EXPECT_TRUE(bench.f.boxes.messages().empty());

    const QString path = QString::fromStdString(folder.file("no such folder/devices.csv"));
    bench.f.boxes.fileAnswers.push_back(path);
    saveDeviceList(bench.form);
    ASSERT_EQ(bench.f.boxes.messages().size(), 1u);
    EXPECT_TRUE(bench.f.boxes.messages()[0].text.startsWith("Cannot create file \"" + path + "\""))
        << bench.f.boxes.messages()[0].text.toStdString();
    EXPECT_EQ(bench.f.boxes.messages()[0].icon, platform::MessageBoxes::Icon::Error);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(bench.linesStartingWith("Device list saved"), 0);
}
