// The window's side of the change history: the marks of the lines whose last change did not
// complete, and the dialog of the File menu with the history and the inventory.
#include "app/form1.h"

#include "ui/device_list_view.h"
#include "ui/history_dialog.h"

namespace app {

void TForm1::actChangeHistoryExecute() {
    if (!services.history)
        return;
    ui::HistoryDialog dialog(
        *services.history, services.boxes, [this](const QString& key) { return translate(key); },
        this);
    dialog.reload();
    dialog.exec();
}

void TForm1::noteValueRecorded(engine::Field field, engine::ValueOutcome outcome) {
    const QString& mac = deviceEngine->transaction().lastChangedMac();
    if (mac.isEmpty())
        return;
    QList<engine::Field>& fields = unfinishedChanges[mac];
    fields.removeAll(field);
    if (outcome != engine::ValueOutcome::Done && outcome != engine::ValueOutcome::Refused)
        fields.append(field);
    if (fields.isEmpty())
        unfinishedChanges.remove(mac);
    ListView1->viewport()->update();
}

bool TForm1::storedOnlyTemporarily(const QString& mac) const {
    return unfinishedChanges.contains(mac);
}

QString TForm1::lineWarning(const QString& mac) const {
    if (storedOnlyTemporarily(mac))
        return QStringLiteral("Stored only temporarily: will be lost at the next restart");
    // The line shows the latest answer under this MAC; anyone on the segment can send one
    // that claims another address, so the user is told before trusting or changing it.
    const engine::DeviceRecord* latest = deviceEngine->devices().latestWithMac(mac);
    if (!latest || !latest->doubtful)
        return QString();
    return QStringLiteral("Doubtful: the answer came from %1, not from %2, the address it claims")
        .arg(latest->answeredFrom, latest->ip);
}

} // namespace app
