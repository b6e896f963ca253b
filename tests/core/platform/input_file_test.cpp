#include "platform/input_file.h"

#include "support/odd_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::InputFile;
using platform::readInputFile;
using testsupport::OddFile;

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
}

} // namespace

TEST(InputFile, ReadsRegularFilesAndLinksToThemUpToTheLimit) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeFile(path, "0123456789");
    ASSERT_TRUE(QFile::link(path, dir.filePath("link.ini")));
    for (const QString& name : {path, dir.filePath("link.ini")}) {
        const InputFile file = readInputFile(name, 10);
        EXPECT_EQ(file.status, InputFile::Status::Read);
        EXPECT_EQ(file.bytes, "0123456789");
    }
    const InputFile over = readInputFile(path, 9);
    EXPECT_EQ(over.status, InputFile::Status::Unreadable);
    EXPECT_TRUE(over.bytes.isEmpty());
    EXPECT_TRUE(over.problem.startsWith("it is larger than")) << over.problem.toStdString();

    writeFile(dir.filePath("empty"), QByteArray());
    EXPECT_EQ(readInputFile(dir.filePath("empty")).status, InputFile::Status::Read);
    // A file the size of a store with thousands of values is read whole.
    writeFile(path, QByteArray(1 << 20, 'x'));
    EXPECT_EQ(readInputFile(path).bytes.size(), 1 << 20);
}

TEST(InputFile, MissingIsNoProblem) {
    QTemporaryDir dir;
    for (const QString& path : {dir.filePath("nope"), dir.filePath("no/folder"), QString()}) {
        const InputFile file = readInputFile(path);
        EXPECT_EQ(file.status, InputFile::Status::Missing) << path.toStdString();
        EXPECT_TRUE(file.problem.isEmpty());
    }
    writeFile(dir.filePath("file"), "x"); // a file where a folder should be
    EXPECT_EQ(readInputFile(dir.filePath("file/below")).status, InputFile::Status::Missing);
}

TEST(InputFile, OddFilesAreRefusedWithoutWaitingAndLeftAsTheyAre) {
    QTemporaryDir dir;
    for (const OddFile kind : testsupport::kOddFiles) {
        SCOPED_TRACE(testsupport::oddFileName(kind));
        const QString path = dir.filePath(QString::number(int(kind)));
        ASSERT_TRUE(testsupport::makeOddFile(path, kind));
        // A named pipe that nobody writes to would block a plain open() forever.
        const InputFile file = readInputFile(path);
        EXPECT_EQ(file.status, InputFile::Status::Unreadable);
        EXPECT_FALSE(file.problem.isEmpty());
        EXPECT_TRUE(file.bytes.isEmpty());
        EXPECT_TRUE(testsupport::oddFileIsIntact(path, kind));
    }
    const InputFile device = readInputFile("/dev/zero");
    EXPECT_EQ(device.status, InputFile::Status::Unreadable);
    EXPECT_EQ(device.problem, "it is a device, not a file");
}
