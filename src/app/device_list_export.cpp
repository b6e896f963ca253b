// The File menu's export of the device list: the same CSV the command line writes, so a
// list saved from the window and one from a script can be compared line by line.
#include "app/form1.h"

#include "platform/output_file.h"
#include "report/device_list_writer.h"
#include "report/engine_rows.h"
#include "statelog/log_buffer.h"

#include <QAction>

namespace app {

void TForm1::actSaveDeviceListExecute() {
    // The caption without the ellipsis that says a dialog follows.
    QString title = actSaveDeviceList->text();
    if (title.endsWith(u'…'))
        title.chop(1);
    const QString path = services.boxes.saveFileName(title, QStringLiteral(".csv"));
    if (path.isEmpty())
        return;
    const QString csv = report::deviceListCsv(report::deviceRows(
        deviceEngine->devices(), deviceTypes, deviceEngine->adapter(), deviceEngine->interfaces()));
    if (platform::saveUserFile(path, csv.toUtf8(), services.boxes))
        log().logStringWithTime(QStringLiteral("Device list saved to %1").arg(path));
}

} // namespace app
