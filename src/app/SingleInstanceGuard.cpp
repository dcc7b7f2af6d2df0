#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavrilux {

namespace {

constexpr const char* kReopen = "reopen\n";

QString runtimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return QDir::isAbsolutePath(runtime) && QDir(runtime).exists() ? runtime : QDir::tempPath();
}

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& display, const QString& folder) {
    // ":1.0" is screen 0 of display ":1"; the display alone names the desktop.
    QString name = display;
    name.remove(QRegularExpression(QStringLiteral("\\.[0-9]+$")));
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
    base_ = (folder.isEmpty() ? runtimeFolder() : folder) +
            QStringLiteral("/tavrilux-%1-%2").arg(::getuid()).arg(name);
}

SingleInstanceGuard::~SingleInstanceGuard() {
    server_.close();
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

bool SingleInstanceGuard::claim() {
    lockFd_ = ::open(lockPath().toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        std::fprintf(stderr, "tavrilux: cannot tell whether Tavrilux already runs (%s)\n",
                     std::strerror(errno));
        return true;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
        serve();
        return true;
    }
    ::close(lockFd_);
    lockFd_ = -1;
    if (!askToReopen(socketPath())) {
        std::fprintf(stderr, "tavrilux: Tavrilux already runs on this display\n");
    }
    return false;
}

void SingleInstanceGuard::serve() {
    // A socket left by an instance that crashed; the lock proves no one serves it.
    QLocalServer::removeServer(socketPath());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath())) {
        std::fprintf(stderr, "tavrilux: a second launch cannot reach this one: %s\n",
                     qPrintable(server_.errorString()));
        return;
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_.nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->canReadLine() && client->readLine() == kReopen) {
                    client->disconnectFromServer();
                    Q_EMIT reopenRequested();
                }
            });
        }
    });
}

bool SingleInstanceGuard::askToReopen(const QString& socketPath) {
    // The instance may hold the lock but not listen yet, while it starts.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 2000) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(500)) {
            socket.write(kReopen);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

} // namespace tavrilux
