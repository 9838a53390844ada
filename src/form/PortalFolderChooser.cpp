#include "form/PortalFolderChooser.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QRandomGenerator>
#include <QUrl>

namespace corvane {
namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString fileChooser = QStringLiteral("org.freedesktop.portal.FileChooser");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
// Version 3 of the interface added choosing folders.
constexpr uint foldersSince = 3;

QDBusConnection bus()
{
    return QDBusConnection::sessionBus();
}

// The path the portal gives the request for `token`: known before the call, so that its answer cannot
// come before we listen for it.
QString requestPath(const QString& token)
{
    QString sender = bus().baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

} // namespace

PortalFolderChooser::PortalFolderChooser(QObject* parent) : QObject(parent) {}

PortalFolderChooser::~PortalFolderChooser()
{
    if (isOpen() && !m_done) {
        bus().asyncCall(
            QDBusMessage::createMethodCall(portalService, m_request.path(), requestInterface, QStringLiteral("Close")));
    }
}

void PortalFolderChooser::open(const QString& parentWindow, const QString& startFolder)
{
    if (!bus().isConnected()) {
        QMetaObject::invokeMethod(this, &PortalFolderChooser::unavailable, Qt::QueuedConnection);
        return;
    }
    QDBusMessage version = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    version << fileChooser << QStringLiteral("version");
    auto* call = new QDBusPendingCallWatcher(bus().asyncCall(version), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, parentWindow, startFolder](QDBusPendingCallWatcher* done) {
                onVersion(done, parentWindow, startFolder);
            });
}

void PortalFolderChooser::onVersion(QDBusPendingCallWatcher* call, const QString& parentWindow,
                                    const QString& startFolder)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> version = *call;
    if (version.isError() || version.value().variant().toUInt() < foldersSince) {
        Q_EMIT unavailable();
        return;
    }
    m_token = QStringLiteral("corvane%1").arg(QRandomGenerator::global()->generate());
    bus().connect(portalService, requestPath(m_token), requestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));
    QVariantMap options{
        {QStringLiteral("handle_token"), m_token}, {QStringLiteral("accept_label"), QStringLiteral("选择")},
        {QStringLiteral("modal"), true},           {QStringLiteral("multiple"), false},
        {QStringLiteral("directory"), true},
    };
    if (!startFolder.isEmpty()) {
        // A byte string ending in a NUL, as the portal wants file names.
        options.insert(QStringLiteral("current_folder"), QFile::encodeName(startFolder).append('\0'));
    }
    QDBusMessage openFile =
        QDBusMessage::createMethodCall(portalService, portalPath, fileChooser, QStringLiteral("OpenFile"));
    openFile << parentWindow << QStringLiteral("选择 Corvane 当前项目目录") << options;
    auto* opened = new QDBusPendingCallWatcher(bus().asyncCall(openFile), this);
    connect(opened, &QDBusPendingCallWatcher::finished, this, &PortalFolderChooser::onOpened);
}

void PortalFolderChooser::onOpened(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> handle = *call;
    if (handle.isError()) {
        unsubscribe();
        Q_EMIT unavailable();
        return;
    }
    // An older portal may answer on a path of its own choosing.
    if (handle.value().path() != requestPath(m_token)) {
        unsubscribe();
        bus().connect(portalService, handle.value().path(), requestInterface, QStringLiteral("Response"), this,
                      SLOT(onResponse(uint, QVariantMap)));
    }
    m_request = handle.value();
}

void PortalFolderChooser::onResponse(uint response, const QVariantMap& results)
{
    const QStringList uris = results.value(QStringLiteral("uris")).toStringList();
    // 0 is a choice; 1 a cancel, 2 anything else.
    finish(response == 0 && !uris.isEmpty() ? QUrl(uris.constFirst()).toLocalFile() : QString());
}

void PortalFolderChooser::close()
{
    if (!isOpen() || m_done || m_closing) {
        return;
    }
    m_closing = true;
    // Finished once the portal has taken the close: a process that ends right after must not lose it.
    auto* closing =
        new QDBusPendingCallWatcher(bus().asyncCall(QDBusMessage::createMethodCall(
                                        portalService, m_request.path(), requestInterface, QStringLiteral("Close"))),
                                    this);
    connect(closing, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        finish(QString());
    });
}

void PortalFolderChooser::finish(const QString& folder)
{
    if (m_done) {
        return;
    }
    m_done = true;
    unsubscribe();
    m_request = QDBusObjectPath();
    Q_EMIT finished(folder);
}

void PortalFolderChooser::unsubscribe()
{
    const QString path = m_request.path().isEmpty() ? requestPath(m_token) : m_request.path();
    bus().disconnect(portalService, path, requestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
}

} // namespace corvane
