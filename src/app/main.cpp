#include "app/Sys.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    platform::chooseSessionPlatform();
    QApplication app(argc, argv);
    return Sys::Main(app);
}
