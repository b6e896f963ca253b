#include "ui/options_dialog.h"

#include "i18n/language_select.h"
#include "platform/message_boxes.h"
#include "ui/settings_controls.h"
#include "ui/settings_error.h"
#include "ui/sheet_pages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShowEvent>
#include <QVBoxLayout>

namespace ui {

namespace {

QList<QWidget*> pageControls(const QWidget& page) {
    return page.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

TOptions::TOptions(platform::RegistryStore& store, platform::MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), boxes(boxes), Reg(store) {
    setObjectName(QStringLiteral("Options"));
    setWindowTitle(QStringLiteral("Settings"));

    OptionPages = new QTabWidget(this);
    OptionPages->setObjectName(QStringLiteral("OptionPages"));
    OptionPages->setDocumentMode(true);
    OptionPages->setUsesScrollButtons(false);

    Panel1 = new Panel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(90);

    OKBtn = new QPushButton(QStringLiteral("&OK"), Panel1);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), Panel1);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* buttons = new QVBoxLayout(Panel1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(OptionPages, 1);
    layout->addWidget(Panel1);

    connect(OKBtn, &QPushButton::clicked, this, &TOptions::OKBtnClick);
    // Cancel stores nothing; what the user typed stays in the controls until the next Read.
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TOptions::~TOptions() {
    Reg.closeKey();
}

QString TOptions::translate(const QString& key) const {
    return language ? language->translate(key) : key;
}

QString TOptions::pageKeyPath(const QWidget& page) const {
    return QStringLiteral("\\SOFTWARE\\Kestrelwald\\") + FFieldBusName + u'\\' + page.objectName();
}

void TOptions::RegisterSheet(TabSheet* NewPage) {
    addSheet(*OptionPages, *NewPage);
    OptionPages->setCurrentWidget(NewPage);
}

void TOptions::UnRegisterSheet(TabSheet* NewPage) {
    takeOutSheet(*OptionPages, *NewPage, *this);
}

void TOptions::addExcludeControl(QWidget* control) {
    excludeControls.append(control);
}

bool TOptions::isExcludeControl(const QWidget* control) const {
    for (const QPointer<QWidget>& excluded : excludeControls) {
        if (excluded && excluded.data() == control)
            return true;
    }
    return false;
}

void TOptions::Read() {
    if (FFieldBusName.isEmpty())
        throw SettingsError(translate(QStringLiteral("exceptionOptionsNoFieldbusnameset")));
    // Another running program may have stored settings since this one last looked.
    Reg.store().refresh();
    forEachStoredControl([this](QWidget& control) { settings::readControl(Reg, control); },
                         QStringLiteral("messageRegistryContinueDefaults"));
    Reg.closeKey();
}

void TOptions::forEachStoredControl(const std::function<void(QWidget&)>& action,
                                    const QString& failureKey) {
    try {
        for (int i = 0; i < OptionPages->count(); ++i) {
            QWidget& page = *OptionPages->widget(i);
            if (!Reg.openKey(pageKeyPath(page), true)) {
                // Going on in the key still open would mix this page with another one.
                boxes.showMessage(translate(QStringLiteral("messageRegistryAccessError")));
                continue;
            }
            for (QWidget* control : pageControls(page)) {
                if (!isExcludeControl(control))
                    action(*control);
            }
        }
    } catch (const std::exception&) {
        boxes.showMessage(translate(failureKey));
    }
}

void TOptions::Store() {
    forEachStoredControl([this](QWidget& control) { settings::storeControl(Reg, control); },
                         QStringLiteral("messageRegistryCannotNotStore"));
    Reg.closeKey();
    if (isVisible() && isModal())
        accept();
    else
        setResult(QDialog::Accepted);
}

bool TOptions::execute() {
    Read();
    return exec() == QDialog::Accepted;
}

int TOptions::ShowModal() {
    return execute() ? mrOK : mrCancel;
}

QWidget* TOptions::findControl(const QString& Key) const {
    for (int i = 0; i < OptionPages->count(); ++i) {
        for (QWidget* control : pageControls(*OptionPages->widget(i))) {
            if (control->objectName().compare(Key, Qt::CaseInsensitive) == 0)
                return control;
        }
    }
    return nullptr;
}

QString TOptions::GetProp(const QString& Key) const {
    const QWidget* control = findControl(Key);
    if (!control) {
        throw SettingsError(translate(QStringLiteral("exceptionSettingsStringProp")) + u' ' + Key +
                            u' ' + translate(QStringLiteral("exceptionSettingsNotFound")));
    }
    return settings::controlValue(*control);
}

void TOptions::SetProp(const QString& Key, const QString& Value) {
    QWidget* control = findControl(Key);
    if (!control) {
        throw SettingsError(translate(QStringLiteral("exceptionSettingsStringProp")) + u' ' + Key +
                            u' ' + translate(QStringLiteral("exceptionSettingsNotFound")));
    }
    settings::setControlValue(*control, Value);
    Store();
}

bool TOptions::GetBoolProp(const QString& Key) const {
    try {
        return GetProp(Key) != QStringLiteral("0");
    } catch (const SettingsError&) {
        return false;
    }
}

void TOptions::SetBoolProp(const QString& Key, bool Value) {
    SetProp(Key, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

qint32 TOptions::GetIntProp(const QString& Key) const {
    const QString failure = translate(QStringLiteral("exceptionSettingsErrorReadingKey")) + Key;
    QString text;
    try {
        text = GetProp(Key);
    } catch (const SettingsError&) {
        throw SettingsError(failure);
    }
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    if (!ok)
        throw SettingsError(failure);
    return value;
}

void TOptions::SetIntProp(const QString& Key, qint32 Value) {
    try {
        SetProp(Key, QString::number(Value));
    } catch (const SettingsError&) {
        throw SettingsError(translate(QStringLiteral("exceptionSettingsErrorWritingKey")) + Key);
    }
}

void TOptions::FormShow() {
    setWindowTitle(translate(QStringLiteral("optionsCaption")));
    try {
        Read();
    } catch (const SettingsError& error) {
        // Nothing above an event handler could catch it.
        boxes.showMessage(error.message());
    }
}

void TOptions::FormActivate() {
    OKBtn->setText(translate(QStringLiteral("buttonOK")));
    CancelBtn->setText(translate(QStringLiteral("buttonCancel")));
}

void TOptions::OKBtnClick() {
    try {
        Store();
    } catch (const std::exception& error) {
        boxes.showMessage(QString::fromStdString(error.what()));
    }
    accept();
}

bool TOptions::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Escape must close the dialog whichever control has the focus, before the control
    // sees the key.
    qApp->installEventFilter(this);
    if (!event->spontaneous())
        FormShow();
}

void TOptions::hideEvent(QHideEvent* event) {
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

bool TOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ui
