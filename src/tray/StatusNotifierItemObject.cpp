#include "tray/StatusNotifierItemObject.h"

#include <statusnotifieritem_adaptor.h>

namespace corvane {

StatusNotifierItemObject::StatusNotifierItemObject(QDBusObjectPath menu, QObject* parent)
    : QObject(parent), m_menu(std::move(menu))
{
    registerStatusNotifierTypes();
    new StatusNotifierItemAdaptor(this);
}

void StatusNotifierItemObject::setIcon(IconPixmapList pixmaps)
{
    m_pixmaps = std::move(pixmaps);
    Q_EMIT NewIcon();
}

void StatusNotifierItemObject::setToolTipTitle(const QString& title)
{
    m_toolTip.title = title;
    Q_EMIT NewToolTip();
}

void StatusNotifierItemObject::ContextMenu(int, int) {}

void StatusNotifierItemObject::Activate(int, int) {}

void StatusNotifierItemObject::SecondaryActivate(int, int) {}

void StatusNotifierItemObject::Scroll(int, const QString& orientation)
{
    const QString lower = orientation.toLower();
    if (lower != QLatin1String("horizontal") && lower != QLatin1String("vertical") && calledFromDBus()) {
        sendErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                       QStringLiteral("the orientation must be \"horizontal\" or \"vertical\""));
    }
}

} // namespace corvane
