// The widget tests need one QApplication on the offscreen platform before the first test, and no marker
// file of the form's may land anywhere. The offscreen platform's notes about what it cannot do (raise a
// window, pass size hints on) are dropped; every other Qt message goes through.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QStringLiteral("This plugin does not support")) ||
        message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
        return;
    }
    defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // The C locale, under which fontconfig draws Chinese with the Japanese face unless told otherwise.
    qputenv("LC_ALL", QByteArrayLiteral("C"));
    qunsetenv("CORVANE_UI_READY_MARKER");
    // No session bus, so no desktop portal: the form falls back to Qt's own folder dialog, which these
    // tests drive. (The portal has a test of its own, portal_chooser_test.)
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArrayLiteral("unix:path=/nonexistent/corvane-no-bus"));
    qunsetenv("CORVANE_UI_WAIT_MS");
    defaultHandler = qInstallMessageHandler(filterMessages);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
