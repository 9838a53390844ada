// The XEmbed system tray of the X display, if any: whether a tray manager owns the tray selection of
// the default screen, and a signal when a tray manager announces itself (its MANAGER message on the
// root window). Nothing here runs without an X display. Main thread.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

namespace corvane {

class XEmbedTray final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(XEmbedTray)

public:
    explicit XEmbedTray(QObject* parent = nullptr);
    ~XEmbedTray() override;

    bool managerPresent() const;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    void managerAppeared();

private:
    void* m_connection = nullptr;
    std::uint32_t m_selection = 0;
    std::uint32_t m_managerAtom = 0;
};

} // namespace corvane
