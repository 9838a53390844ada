#include "app/TrayRun.h"

#include "protocol/TrayDispatcher.h"
#include "tray/BusPacing.h"
#include "tray/TrayItem.h"
#include "tray/TrayPresence.h"

namespace corvane {

TrayRun::TrayRun(EventSink& events, bool smoke, QObject* parent) : QObject(parent), m_events(events), m_smoke(smoke)
{
    m_presence = new TrayPresence(this);
    connect(m_presence, &TrayPresence::hostSettled, this, &TrayRun::buildTray);
    connect(m_presence, &TrayPresence::visibilityKnown, this, &TrayRun::visibilityKnown);
}

TrayRun::~TrayRun() = default;

void TrayRun::start()
{
    m_presence->awaitHost();
}

void TrayRun::buildTray(TrayPath path)
{
    m_item = new TrayItem(m_events, path, this);
    m_dispatcher = std::make_unique<TrayDispatcher>(*m_item, m_events, m_smoke);
    connect(m_item, &TrayItem::applied, this, &TrayRun::stateApplied);
    Q_EMIT itemBuilt();
    // Lines wait in the pipe until the item is confirmed visible, so "tray-visible" comes before any
    // reply to them.
    m_presence->confirmVisible(*m_item);
}

void TrayRun::receive(const std::string& line)
{
    if (m_dispatcher) {
        m_dispatcher->receive(line);
    }
}

void TrayRun::paceInput(InputChannel& input)
{
    // The item may move to the D-Bus path later on, so its bus traffic is paced on either path.
    if (const QString service = m_item->busService(); !service.isEmpty()) {
        auto* pacing = new BusPacing(service, input, this);
        connect(m_item, &TrayItem::applied, pacing, &BusPacing::stateApplied);
    }
}

} // namespace corvane
