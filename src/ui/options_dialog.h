#pragma once

#include "platform/registry.h"
#include "ui/panel.h"
#include "ui/tab_sheet.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTabWidget>

#include <functional>

namespace i18n {
class LanguageSelect;
}
namespace platform {
class MessageBoxes;
}

namespace ui {

// The settings dialog, which is also the program's persistent property store. Other
// windows lend it pages; the direct child controls of the pages are the settings, their
// object names the value names, and the registry store holds the stored copy under
// "\SOFTWARE\Kestrelwald\" + FieldBusName + "\" + page name.
//
// Stored per kind: edit and combo box text as a string; check box as 1 or 0; memo as its
// line count plus "name(i)" lines; string grid as "nameRows", "nameCols" and
// "name[c:r]" cells of every row but the header row 0. Other controls store nothing.
//
// Failures inside Read and Store are shown as plain messages; the property operations
// and Read without a FieldBusName raise SettingsError (ui/settings_error.h).
class TOptions : public QDialog {
    Q_OBJECT
public:
    enum ModalResult { mrOK = 1, mrCancel = 2 };

    TOptions(platform::RegistryStore& store, platform::MessageBoxes& boxes,
             QWidget* parent = nullptr);
    ~TOptions() override;

    Panel* Panel1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QTabWidget* OptionPages;

    // The translation service; set before first use. Without it, texts show as their keys.
    i18n::LanguageSelect* language = nullptr;

    QString FieldBusName() const { return FFieldBusName; }
    void setFieldBusName(const QString& value) { FFieldBusName = value; }

    void RegisterSheet(TabSheet* NewPage);
    void UnRegisterSheet(TabSheet* NewPage);

    void addExcludeControl(QWidget* control);
    bool isExcludeControl(const QWidget* control) const;

    // Registry -> controls. Throws SettingsError when FieldBusName is empty.
    void Read();
    // Controls -> registry; then the dialog's result is OK (closing it when shown modally).
    void Store();
    // Read, then the dialog modally; true when it ended with OK. Read's error reaches the
    // caller.
    bool execute();
    // execute, answered as mrOK or mrCancel.
    int ShowModal();

    // Property access by control name, compared without regard to case, over the pages in
    // order; excluded controls are found too. Every setter stores all settings.
    QString GetProp(const QString& Key) const;
    void SetProp(const QString& Key, const QString& Value);
    bool GetBoolProp(const QString& Key) const;
    void SetBoolProp(const QString& Key, bool Value);
    qint32 GetIntProp(const QString& Key) const;
    void SetIntProp(const QString& Key, qint32 Value);

    void FormShow();
    void FormActivate();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString translate(const QString& key) const;
    QString pageKeyPath(const QWidget& page) const;
    QWidget* findControl(const QString& Key) const;
    // Runs action on every stored control of every page, in order; a failure ends the walk
    // with the message of failureKey.
    void forEachStoredControl(const std::function<void(QWidget&)>& action,
                              const QString& failureKey);
    void OKBtnClick();

    platform::MessageBoxes& boxes;
    platform::Registry Reg;
    QString FFieldBusName;
    QList<QPointer<QWidget>> excludeControls;
};

} // namespace ui
