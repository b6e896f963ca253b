#include "app/application.h"

#include <QApplication>

namespace app {

int runApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    return QApplication::exec();
}

} // namespace app
