// Start-up: globals, teardown, the main window and its creation handler, then
// the message loop. Closing the window ends the process from its handler.

#include <QApplication>

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "platform/Process.h"

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    tallowin::app::CreateGlobals();
    tallowin::platform::RegisterTeardown(&tallowin::app::DestroyGlobals);
    auto* window = new tallowin::app::MainWindow;  // lives until the process ends
    window->show();
    window->OnMainWindowCreated();
    return application.exec();
}
