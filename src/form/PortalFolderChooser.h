// The desktop's own folder chooser, through the xdg-desktop-portal FileChooser interface on the session
// bus: folders only, one at a time, with our title, confirm label and start folder. Every call is
// asynchronous. When no portal answers (none on the bus, or one too old to choose folders), it says
// unavailable() and the caller falls back to Qt's own dialog. Main thread.
#pragma once

#include <QDBusObjectPath>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;
class QDBusVariant;

namespace corvane {

class PortalFolderChooser final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortalFolderChooser)

public:
    explicit PortalFolderChooser(QObject* parent = nullptr);
    ~PortalFolderChooser() override;

    // Asks the portal to show its chooser over `parentWindow` (an "x11:<id>" handle, or empty), starting
    // in `startFolder` (empty: the portal's choice). Then exactly one of unavailable() or finished().
    void open(const QString& parentWindow, const QString& startFolder);
    // Closes a chooser the portal shows, as a cancel would: finished() with an empty folder follows once
    // the portal has taken the close.
    void close();
    // The portal took the request: its chooser is the portal's to show, and shown until it answers.
    bool isOpen() const { return !m_request.path().isEmpty(); }

Q_SIGNALS:
    void unavailable();
    // The chosen folder, or empty after a cancel, a close or an answer without a folder.
    void finished(const QString& folder);

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);

private: // NOLINT(readability-redundant-access-specifiers): the slot above needs its own section for moc
    void onVersion(QDBusPendingCallWatcher* call, const QString& parentWindow, const QString& startFolder);
    void onOpened(QDBusPendingCallWatcher* call);
    void finish(const QString& folder);
    void unsubscribe();

    QDBusObjectPath m_request;
    QString m_token;
    bool m_done = false;
    bool m_closing = false;
};

} // namespace corvane
