#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A program folder of its own for each test, with a "lang" folder to fill. Header only, so
// that the widget-free tests can use it without linking the support library.
class LangFolder : public ::testing::Test {
protected:
    QString programDir() const { return dir.path(); }

    void write(const QString& relativePath, const QByteArray& content) {
        const QString path = dir.filePath(relativePath);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    void writeLang(const QString& fileName, const QByteArray& translations) {
        write("lang/" + fileName, "[translations]\n" + translations);
    }

private:
    QTemporaryDir dir;
};
