#pragma once

#include "ui/tab_sheet.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace i18n {
class LanguageSelect;
}
namespace platform {
class MessageBoxes;
}

namespace gdf {

// The window that lends its page for choosing the gateway description file to the
// settings dialog. It is never shown itself. The page's edit is the stored setting
// "EditTGWCurrentFilePath".
class TGW_Config : public QWidget {
    Q_OBJECT
public:
    explicit TGW_Config(platform::MessageBoxes& boxes, QWidget* parent = nullptr);

    ui::TabSheet* TGWConfigFileSheetCaption;
    QLabel* TGWCurrentFilePath;
    QLineEdit* EditTGWCurrentFilePath;
    QPushButton* TGWConfigFileButtonSetConfigFile;

    // The translation service; set at start-up. Without it, texts show as their keys.
    i18n::LanguageSelect* language = nullptr;

    void TGWConfigFileSheetCaptionShow();
    void TGWConfigFileButtonSetConfigFileClick();
    void EditTGWCurrentFilePathChange(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    platform::MessageBoxes& boxes;
};

} // namespace gdf
