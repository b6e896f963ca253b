// Start-up with odd files in every place the program reads one: nothing may hang the start,
// and each is reported where the program reports a file of its kind that cannot be read.
#include "support/form_fixture.h"
#include "support/odd_files.h"

#include "platform/version_record.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

using namespace testsupport;

TEST(StartupOddFiles, NoneHangsTheStartAndEachIsReported) {
    for (const OddFile kind : kOddFiles) {
        SCOPED_TRACE(oddFileName(kind));
        FormFixture::Options options;
        options.timerSection = std::nullopt;
        options.languageFiles = false;
        FormFixture f(options);
        const QString dir = f.programDir();
        const QString config = dir + "config/config.ini";
        const QString lang = dir + "lang/english_en_gb.ini";
        const QString gdf = dir + "gdf/Pellmar.gdf"; // the stored one and the default
        ASSERT_TRUE(QFile::remove(dir + "gdf"));     // the link to the shipped folder
        for (const QString& path : {config, lang, gdf}) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
            ASSERT_TRUE(makeOddFile(path, kind));
        }

        f.activate();

        // config.ini: a line in the state window, the design intervals.
        const QStringList logged = f.log.lines().filter("config.ini cannot be read (");
        EXPECT_EQ(logged.size(), 1);
        EXPECT_EQ(f.form().timerIntervals().scanPeriod, 2500);
        // The language file and the description file: message boxes; with no language
        // file every text is its key.
        QStringList texts;
        for (const auto& message : f.boxes.messages())
            texts.append(message.text);
        ASSERT_FALSE(texts.isEmpty());
        EXPECT_TRUE(texts.takeFirst().startsWith("The language file \"" + lang +
                                                 "\" cannot be "
                                                 "read ("));
        if (kind == OddFile::Huge) {
            EXPECT_EQ(texts, QStringList({"Gateway description file \"" + gdf +
                                          "\" cannot be read (it is larger than 16.0 MiB)."}));
        } else {
            EXPECT_EQ(texts,
                      QStringList({"GDF_not_found_using_default\r\n" + gdf, "GDF_not_found"}));
        }
        EXPECT_EQ(f.form().versionText(),
                  QStringLiteral("V %1 [GDF 1]").arg(platform::GetProductVersionString()));
        // The start-up went on to its first scan, and every odd file is still as it was.
        EXPECT_TRUE(f.form().scanRunning());
        for (const QString& path : {config, lang, gdf})
            EXPECT_TRUE(oddFileIsIntact(path, kind)) << path.toStdString();
    }
}
