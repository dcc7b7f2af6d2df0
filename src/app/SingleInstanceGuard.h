#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace tavrilux {

// One running instance per user and X display. The instance holds a lock file (released by the
// system however the process ends) and listens on a local socket beside it; a later launch finds
// the lock taken, asks the instance through the socket to reopen, and steps back.
class SingleInstanceGuard final : public QObject {
    Q_OBJECT
public:
    // `display` as in $DISPLAY; ":0" and ":0.0" name the same display. `folder`: where the lock
    // and the socket live ($XDG_RUNTIME_DIR, else the temporary folder, when empty).
    explicit SingleInstanceGuard(const QString& display, const QString& folder = {});
    ~SingleInstanceGuard() override;

    // True when this process is the instance. Otherwise the running instance has been asked to
    // reopen (when it answered within two seconds) and this process should quit.
    bool claim();

    QString lockPath() const { return base_ + ".lock"; }
    QString socketPath() const { return base_ + ".socket"; }

Q_SIGNALS:
    void reopenRequested();

private:
    void serve();
    static bool askToReopen(const QString& socketPath);

    QString base_;
    int lockFd_ = -1;
    QLocalServer server_;
};

} // namespace tavrilux
