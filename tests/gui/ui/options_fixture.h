#pragma once

#include "gui/ui/message_texts.h"
#include "platform/registry.h"
#include "ui/options_dialog.h"
#include "ui/tab_sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// A settings page holding one control of every kind the store knows, in this order, and
// controls the store must pass over.
struct SettingsTestPage {
    explicit SettingsTestPage(const QString& pageName = QStringLiteral("TestPage")) {
        sheet = new ui::TabSheet;
        sheet->setObjectName(pageName);
        sheet->setCaption(pageName);
        edit = named<QLineEdit>("EditName");
        combo = named<QComboBox>("ComboMode");
        combo->setEditable(true);
        combo->addItems({"manual", "auto", "manual"});
        check = named<QCheckBox>("CheckEnabled");
        memo = named<QPlainTextEdit>("MemoNotes");
        grid = named<QTableWidget>("GridValues");
        afterGrid = named<QLineEdit>("EditAfterGrid");
        label = named<QLabel>("LabelInfo");
        label->setText("label text");
        group = named<QGroupBox>("GroupOptions");
        nested = new QLineEdit(group);
        nested->setObjectName("EditNested");
    }

    template <typename T> T* named(const char* name) {
        auto* control = new T(sheet);
        control->setObjectName(QString::fromLatin1(name));
        return control;
    }

    ui::TabSheet* sheet;
    QLineEdit* edit;
    QComboBox* combo;
    QCheckBox* check;
    QPlainTextEdit* memo;
    QTableWidget* grid;
    QLineEdit* afterGrid;
    QLabel* label;
    QGroupBox* group;
    QLineEdit* nested;
};

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        openStore(dir.filePath("registry.txt"));
        options->RegisterSheet(page.sheet);
    }

    // A new dialog on a store kept in path, with no page yet.
    void openStore(const QString& path) {
        replacedDialogs.push_back(std::move(options));
        replacedStores.push_back(std::move(store));
        store = std::make_unique<platform::RegistryStore>(path);
        store->load();
        options = std::make_unique<ui::TOptions>(*store, boxes);
        options->setFieldBusName("TorvaneScan");
    }

    // Makes every later write of the store fail: its folder becomes a regular file.
    void makeStoreUnwritable(const QString& folder) {
        ASSERT_TRUE(QDir(folder).removeRecursively());
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }

    std::optional<platform::RegValue> stored(const QString& name,
                                             const QString& page = "TestPage") const {
        return store->value("\\SOFTWARE\\Kestrelwald\\TorvaneScan\\" + page, name);
    }

    void put(const QString& name, const platform::RegValue& value,
             const QString& page = "TestPage") {
        const QString path = "\\SOFTWARE\\Kestrelwald\\TorvaneScan\\" + page;
        ASSERT_TRUE(store->createKey(path));
        store->setValue(path, name, value);
    }

    static platform::RegValue text(const QString& value) {
        return platform::RegValue{platform::RegType::String, value, 0, {}};
    }
    static platform::RegValue integer(qint32 value) {
        return platform::RegValue{platform::RegType::Integer, {}, value, {}};
    }

    QTemporaryDir dir;
    testsupport::FakeMessageBoxes boxes;
    SettingsTestPage page;
    std::unique_ptr<platform::RegistryStore> store;
    std::unique_ptr<ui::TOptions> options;
    // Earlier dialogs and stores live on until the test ends, like the program's windows.
    std::vector<std::unique_ptr<platform::RegistryStore>> replacedStores;
    std::vector<std::unique_ptr<ui::TOptions>> replacedDialogs;
};
