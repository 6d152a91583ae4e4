// Drives the real main window through one check of an article against a
// running search stand-in and saves a picture of the window:
//   tallowin-demo-screenshot SEARCH_HOST INFO_HOST ARTICLE_FILE OUT_PNG

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "platform/QtText.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s SEARCH_HOST INFO_HOST ARTICLE_FILE OUT_PNG\n", argv[0]);
        return 2;
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QFile article(QString::fromLocal8Bit(argv[3]));
    if (!article.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[3]);
        return 2;
    }
    tallowin::app::CreateGlobals();
    using tallowin::platform_gui::FromQString;
    tallowin::app::MainWindow window({FromQString(QString::fromLocal8Bit(argv[1])),
                                      FromQString(QString::fromLocal8Bit(argv[2]))});
    window.show();
    window.编辑框_article->setPlainText(QString::fromUtf8(article.readAll()).trimmed());
    window.按钮2->click();
    // Let the information page and the last repaint settle. Not quit(): it
    // would close the window, and closing ends the process.
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[4]), "PNG");
    tallowin::app::DestroyGlobals();
    return saved ? 0 : 1;
}
