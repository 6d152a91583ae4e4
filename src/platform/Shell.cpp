#include "platform/Shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include "platform/QtText.h"

namespace tallowin::platform {
namespace {

std::function<void(const common::Text&)> g_openHandler;
std::function<bool(const common::Text&)> g_showHandler;

}  // namespace

common::Text GetSpecialFolder(SpecialFolder folder) {
    QString path = folder == SpecialFolder::Desktop
                       ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                       : QDir::tempPath();
    if (path.isEmpty()) return {};
    if (!path.endsWith(u'/')) path += u'/';
    return platform_gui::FromQString(path);
}

void OpenInBrowser(const common::Text& address) {
    if (g_openHandler) {
        g_openHandler(address);
        return;
    }
    QDesktopServices::openUrl(QUrl(platform_gui::ToQString(address)));
}

bool ShowInFileManager(const common::Text& path) {
    if (g_showHandler) return g_showHandler(path);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        u"org.freedesktop.FileManager1"_qs, u"/org/freedesktop/FileManager1"_qs,
        u"org.freedesktop.FileManager1"_qs, u"ShowItems"_qs);
    const QString uri = QUrl::fromLocalFile(platform_gui::ToQString(path)).toString();
    call << QStringList{uri} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

ScreenSize PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QSize size = screen->size();
    return {size.width(), size.height()};
}

void SetOpenInBrowserHandlerForTests(std::function<void(const common::Text&)> handler) {
    g_openHandler = std::move(handler);
}
void SetShowInFileManagerHandlerForTests(std::function<bool(const common::Text&)> handler) {
    g_showHandler = std::move(handler);
}

}  // namespace tallowin::platform
