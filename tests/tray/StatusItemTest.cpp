// The status item's menu as the tray state changes: one menu for life, in-place updates while the
// layout holds, rebuilds when it changes, and "menu" events only for enabled rows with an action.
#include "tray/StatusItem.h"

#include "protocol/TrayStateDecoder.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

class RecordingSink final : public EventSink {
public:
    void emit(std::string_view name, const EventPayload& payload) override
    {
        lines.push_back(encodeEventLine(name, payload));
    }
    std::vector<std::string> lines;
};

TrayState state(const std::string& json)
{
    const std::optional<TrayState> decoded = decodeTrayState(json);
    EXPECT_TRUE(decoded) << json;
    return decoded.value_or(TrayState{});
}

std::string row(const std::string& id, const std::string& text, bool enabled, const std::string& extra = "")
{
    return R"({"id":")" + id + R"(","text":")" + text + R"(","enabled":)" + (enabled ? "true" : "false") + extra + "}";
}

std::string tray(const std::string& rows, const std::string& tooltip = "tip")
{
    return R"({"status":"ready","iconStatus":"busy","tooltip":")" + tooltip + R"(","menu":[)" + rows + "]}";
}

class StatusItemTest : public ::testing::Test {
protected:
    QMenu* menu() const { return m_item.findChild<QSystemTrayIcon*>()->contextMenu(); }

    std::vector<QString> titles(QMenu* of = nullptr) const
    {
        std::vector<QString> result;
        for (QAction* action : (of ? of : menu())->actions()) {
            result.push_back(action->isSeparator() ? QStringLiteral("---") : action->text());
        }
        return result;
    }

    RecordingSink m_events;
    StatusItem m_item{m_events};
};

TEST_F(StatusItemTest, StartsWithTheDisabledStartingRow)
{
    ASSERT_EQ(titles(), std::vector<QString>{QStringLiteral("正在启动…")});
    EXPECT_FALSE(menu()->actions().front()->isEnabled());
    EXPECT_FALSE(m_item.exerciseMenu("status"));
    EXPECT_EQ(m_item.findChild<QSystemTrayIcon*>()->toolTip(),
              QStringLiteral("<p style='white-space:pre-wrap'>正在启动…</p>"));
}

TEST_F(StatusItemTest, TextOnlyChangesUpdateTheSameActionsInPlace)
{
    QMenu* const attached = menu();
    m_item.apply(state(tray(row("a", "One", true, R"(,"action":"one")") + "," + row("b", "Two", true))));
    const QList<QAction*> before = menu()->actions();
    m_item.apply(state(tray(row("a", "Uno", false, R"(,"action":"uno")") + "," +
                            row("b", "Dos", true, R"(,"separator":false,"children":[])"))));
    EXPECT_EQ(menu(), attached);
    EXPECT_EQ(menu()->actions(), before);
    EXPECT_EQ(titles(), (std::vector<QString>{QStringLiteral("Uno"), QStringLiteral("Dos")}));
    EXPECT_FALSE(before[0]->isEnabled());
}

TEST_F(StatusItemTest, LayoutChangesRefillTheSameMenu)
{
    QMenu* const attached = menu();
    m_item.apply(state(tray(row("a", "One", true))));
    const QList<QAction*> before = menu()->actions();
    m_item.apply(state(tray(row("a", "One", true) + "," + row("s", "", true, R"(,"separator":true)") + "," +
                            row("s2", "", true, R"(,"separator":true)"))));
    EXPECT_EQ(menu(), attached);
    EXPECT_NE(menu()->actions().front(), before.front());
    // Doubled and trailing separators are kept.
    EXPECT_EQ(titles(), (std::vector<QString>{QStringLiteral("One"), QStringLiteral("---"), QStringLiteral("---")}));
}

TEST_F(StatusItemTest, SubmenuTitleIsWholeWhileTheRowIsCut)
{
    const std::string text(70, 'x');
    m_item.apply(state(tray(row("p", text, true, R"(,"children":[)" + row("c", "Child", true) + "]"))));
    QAction* parent = menu()->actions().front();
    EXPECT_EQ(parent->text(), QString(64, QLatin1Char('x')));
    ASSERT_NE(parent->menu(), nullptr);
    EXPECT_EQ(parent->menu()->windowTitle(), QString(70, QLatin1Char('x')));
    EXPECT_EQ(titles(parent->menu()), std::vector<QString>{QStringLiteral("Child")});
}

TEST_F(StatusItemTest, OnlyEnabledRowsWithAnActionReport)
{
    m_item.apply(state(tray(row("a", "A", true, R"(,"action":"go")") + "," + row("b", "B", false, R"(,"action":"no")") +
                            "," + row("c", "C", true, R"(,"action":"")") + "," + row("d", "D", true))));
    for (QAction* action : menu()->actions()) {
        action->trigger();
    }
    EXPECT_EQ(m_events.lines, std::vector<std::string>{"{\"action\":\"go\",\"event\":\"menu\"}\n"});
    EXPECT_TRUE(m_item.exerciseMenu("a"));
    EXPECT_FALSE(m_item.exerciseMenu("b"));
    EXPECT_TRUE(m_item.exerciseMenu("c"));
    EXPECT_EQ(m_events.lines.size(), 2u);
}

TEST_F(StatusItemTest, IdsMatchUnderCanonicalEquivalence)
{
    m_item.apply(state(tray(row("caf\u00e9", "Cafe", true, R"(,"action":"coffee")"))));
    EXPECT_TRUE(m_item.exerciseMenu("cafe\xCC\x81"));
    EXPECT_EQ(m_events.lines, std::vector<std::string>{"{\"action\":\"coffee\",\"event\":\"menu\"}\n"});
}

} // namespace
} // namespace corvane
