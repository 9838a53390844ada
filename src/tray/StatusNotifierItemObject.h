// The status item on the bus: org.kde.StatusNotifierItem (dbus/org.kde.StatusNotifierItem.xml, adaptor
// generated from it). It carries the icon as pixmaps (our artwork with the status mark), the tooltip,
// the title "Corvane", and says that it is a menu (ItemIsMenu), so a click on it opens the menu at the
// Menu path. Activate, SecondaryActivate, ContextMenu and Scroll change nothing and send no event, as
// the tray has no window to raise; Scroll refuses an orientation other than "horizontal" or
// "vertical". Main thread (QtDBus delivers the calls there).
#pragma once

#include "tray/StatusNotifierTypes.h"

#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace corvane {

class StatusNotifierItemObject final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusNotifierItemObject)
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(corvane::IconPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(corvane::IconPixmapList OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(corvane::IconPixmapList AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(corvane::ItemToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit StatusNotifierItemObject(QDBusObjectPath menu, QObject* parent = nullptr);

    // Sends NewIcon. The pixmaps are made when a host first reads them, from `pixmaps`.
    void setIcon(std::function<IconPixmapList()> pixmaps);
    // Sends NewToolTip once for all the tooltips set in one pass of the event loop, after it: a stream of
    // states costs the host one fetch, not one per state. The title is made when a host first reads the
    // tooltip, from `title`.
    void setToolTipTitle(std::function<QString()> title);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("Corvane"); }
    QString title() const { return QStringLiteral("Corvane"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString noName() const { return {}; }
    IconPixmapList iconPixmap() const;
    IconPixmapList noPixmaps() const { return {}; }
    ItemToolTip toolTip() const;
    bool itemIsMenu() const { return true; }
    QDBusObjectPath menu() const { return m_menu; }

    // The interface's methods, called by the adaptor.
    void ContextMenu(int x, int y);
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    QDBusObjectPath m_menu;
    std::function<IconPixmapList()> m_pixmapSource;
    mutable std::optional<IconPixmapList> m_pixmaps;
    std::function<QString()> m_titleSource;
    mutable ItemToolTip m_toolTip;
    mutable bool m_titleMade = true;
    bool m_toolTipScheduled = false;
};

} // namespace corvane
