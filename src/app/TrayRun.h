// What a tray-mode run needs beyond the shared application: the wait for a tray host, the status item
// and its dispatcher, the proof that the item is visible, and the pacing of bus traffic.
//
// start() waits for a host and then builds the item (itemBuilt), then confirms its visibility
// (visibilityKnown). Lines reach receive() only after that. Main thread only.
#pragma once

#include "tray/TrayPath.h"

#include <QObject>

#include <memory>
#include <string>

namespace corvane {

class EventSink;
class InputChannel;
class TrayItem;
class TrayDispatcher;
class TrayPresence;

class TrayRun final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayRun)

public:
    TrayRun(EventSink& events, bool smoke, QObject* parent);
    ~TrayRun() override;

    void start();
    void receive(const std::string& line);
    // Once the item is visible and input flows: on the D-Bus path, input waits while the bus is behind.
    void paceInput(InputChannel& input);

Q_SIGNALS:
    void itemBuilt();
    // A state was applied to the item, before its reply goes out.
    void stateApplied();
    void visibilityKnown(bool visible);

private:
    void buildTray(TrayPath path);

    EventSink& m_events;
    const bool m_smoke = false;
    TrayPresence* m_presence = nullptr;
    TrayItem* m_item = nullptr;
    std::unique_ptr<TrayDispatcher> m_dispatcher;
};

} // namespace corvane
