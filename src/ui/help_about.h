#pragma once

#include "ui/panel.h"
#include "ui/tab_sheet.h"

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextEdit>

#include "platform/version_record.h"

namespace i18n {
class LanguageSelect;
}
namespace platform {
class MessageBoxes;
}

namespace ui {

// The about dialog: version information, the read-me and the licence document, and the
// change log behind a double click on the version lines. It is rebuilt at every
// activation; a document that is missing then takes its tab away for the rest of the run.
class THelpAbout : public QDialog {
    Q_OBJECT
public:
    THelpAbout(QString programDir, platform::MessageBoxes& boxes, QWidget* parent = nullptr);

    QTabWidget* PageControlVersionInfo;
    TabSheet* TabSheetVersionInfo;
    Panel* Panel2;
    QTextEdit* Memo1;
    QTextBrowser* Memo2;
    TabSheet* TabSheetReadMe;
    Panel* Panel3;
    QTextBrowser* fileLines;
    TabSheet* TabSheetEulatext;
    QTextBrowser* eulaLines;
    Panel* Panel1;
    QPushButton* BitBtn1;

    // Full paths of the read-me and licence documents; empty until set.
    QString fileContentFileName;
    QString fileEulaText;
    // The translation service; set at start-up. Without it, texts show as their keys.
    i18n::LanguageSelect* language = nullptr;
    // Appended directly to the product line, e.g. "[GDF 2.4]".
    QString additionalVersionInfo;
    // Where the version texts come from; null stands for a program without a record.
    const platform::VersionRecord* versionRecord = &platform::programVersionRecord();

    // The document names are translation keys whose texts are paths relative to the
    // program's folder; a key without a translation is taken as the name itself.
    void setContentFile(const QString& filename);
    void setEulaText(const QString& filename);

    // Splits at CR LF, CR or LF and appends the lines; empty text has none.
    static void addMultiLines(const QString& toAdd, QStringList& lines);

    void RegisterSheet(TabSheet* NewPage);
    void UnRegisterSheet(TabSheet* NewPage);

    void FormActivate();
    void BitBtn1Click();
    void Memo1DblClick();

    // The lines of a text view as shown, one per paragraph.
    static QStringList linesOf(const QTextEdit& view);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString translate(const QString& key) const;
    void showDocumentOrDropTab(const QString& path, QTextBrowser& view, TabSheet& tab);

    QString programFolder;
    platform::MessageBoxes& boxes;
};

} // namespace ui
