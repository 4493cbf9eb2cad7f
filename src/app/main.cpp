#include "app/Sys.h"
#include "platform/Platform.h"
#include "platform/Process.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    platform::useLargePages(argv);
    platform::chooseSessionPlatform();
    QApplication app(argc, argv);
    return Sys::Main(app);
}
