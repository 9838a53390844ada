#include "tray/StatusNotifierItemObject.h"

#include <QTimer>

#include <statusnotifieritem_adaptor.h>

namespace corvane {

StatusNotifierItemObject::StatusNotifierItemObject(QDBusObjectPath menu, QObject* parent)
    : QObject(parent), m_menu(std::move(menu))
{
    registerStatusNotifierTypes();
    new StatusNotifierItemAdaptor(this);
}

void StatusNotifierItemObject::setIcon(std::function<IconPixmapList()> pixmaps)
{
    m_pixmapSource = std::move(pixmaps);
    m_pixmaps.reset();
    Q_EMIT NewIcon();
}

IconPixmapList StatusNotifierItemObject::iconPixmap() const
{
    if (!m_pixmaps) {
        m_pixmaps = m_pixmapSource ? m_pixmapSource() : IconPixmapList();
    }
    return *m_pixmaps;
}

ItemToolTip StatusNotifierItemObject::toolTip() const
{
    if (!m_titleMade) {
        m_toolTip.title = m_titleSource ? m_titleSource() : QString();
        m_titleMade = true;
    }
    return m_toolTip;
}

void StatusNotifierItemObject::setToolTipTitle(std::function<QString()> title)
{
    m_titleSource = std::move(title);
    m_titleMade = false;
    if (!m_toolTipScheduled) {
        m_toolTipScheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_toolTipScheduled = false;
            Q_EMIT NewToolTip();
        });
    }
}

void StatusNotifierItemObject::ContextMenu(int /*x*/, int /*y*/) {}

void StatusNotifierItemObject::Activate(int /*x*/, int /*y*/) {}

void StatusNotifierItemObject::SecondaryActivate(int /*x*/, int /*y*/) {}

void StatusNotifierItemObject::Scroll(int /*delta*/, const QString& orientation)
{
    const QString lower = orientation.toLower();
    if (lower != QLatin1String("horizontal") && lower != QLatin1String("vertical") && calledFromDBus()) {
        sendErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                       QStringLiteral("the orientation must be \"horizontal\" or \"vertical\""));
    }
}

} // namespace corvane
