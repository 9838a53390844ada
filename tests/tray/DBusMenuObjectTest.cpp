// The menu export as a tray host's calls reach it over a private session bus: every bad argument (an
// unknown or stale id, a depth out of range, an unknown property or event name, wrong argument types) is
// answered with a D-Bus error and changes nothing, and group calls skip unknown ids as the interface says.
// The states of one pass of the event loop cost one signal.
#include "tray/DBusMenuObject.h"

#include "protocol/TrayStateDecoder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace corvane {
namespace {

const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

TrayState state(const std::string& json)
{
    std::optional<TrayState> decoded = decodeTrayState(json);
    EXPECT_TRUE(decoded) << json;
    return decoded.value_or(TrayState{});
}

const std::string sample = R"({"status":"ready","iconStatus":"ready","tooltip":"t","menu":[)"
                           R"({"id":"a","text":"Go","enabled":true,"action":"go"},)"
                           R"({"id":"s","text":"","enabled":true,"separator":true},)"
                           R"({"id":"b","text":"Off","enabled":false,"action":"off"}]})";

MenuEvent click(int id, const char* eventId = "clicked")
{
    return {id, QString::fromLatin1(eventId), QDBusVariant(0), 0};
}

class DBusMenuObjectTest : public ::testing::Test {
protected:
    DBusMenuObjectTest()
    {
        m_server.registerObject(QStringLiteral("/MenuBar"), &m_menu, QDBusConnection::ExportAdaptors);
        m_menu.rebuild(state(sample));
    }

    ~DBusMenuObjectTest() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    }

    // A call from the host's side; the server answers from this thread's event loop meanwhile.
    QDBusMessage call(const char* method, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(m_server.baseService(), QStringLiteral("/MenuBar"),
                                                              menuInterface, QString::fromLatin1(method));
        message.setArguments(arguments);
        return m_client.call(message, QDBus::BlockWithGui, 5000);
    }

    // The root's children, as the host reads them, and the revision.
    std::pair<uint, MenuLayoutItem> layout()
    {
        const QDBusMessage reply = call("GetLayout", {0, -1, QStringList()});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return {reply.arguments().value(0).toUInt(), qdbus_cast<MenuLayoutItem>(reply.arguments().value(1))};
    }

    std::vector<std::string> m_picked;
    DBusMenuObject m_menu{[this](const std::string& action) { m_picked.push_back(action); }};
    QDBusConnection m_server = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("server"));
    QDBusConnection m_client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
};

TEST_F(DBusMenuObjectTest, BadArgumentsGetAnErrorAndChangeNothing)
{
    ASSERT_TRUE(m_client.isConnected());
    const auto [revision, before] = layout();
    ASSERT_EQ(before.children.size(), 3);
    const int go = before.children[0].id;
    const int unknown = before.children[2].id + 1;
    const QVariant noData = QVariant::fromValue(QDBusVariant(0));
    const std::vector<std::pair<const char*, QVariantList>> refused = {
        {"GetLayout", {unknown, -1, QStringList()}},
        {"GetLayout", {0, -2, QStringList()}},
        {"GetLayout", {0, DBusMenuModel::maxRecursionDepth + 1, QStringList()}},
        {"GetLayout", {0, INT_MIN, QStringList()}},
        {"GetLayout", {0, -1, QStringList{QStringLiteral("label"), QStringLiteral("colour")}}},
        {"GetLayout", {QStringLiteral("0"), -1, QStringList()}},
        {"GetGroupProperties", {QVariant::fromValue(MenuIdList{unknown, -7}), QStringList()}},
        {"GetGroupProperties", {QVariant::fromValue(MenuIdList{go}), QStringList{QStringLiteral("Label")}}},
        {"GetProperty", {unknown, QStringLiteral("label")}},
        {"GetProperty", {go, QStringLiteral("x-vendor")}},
        {"GetProperty", {go, 5}},
        {"Event", {unknown, QStringLiteral("clicked"), noData, 0u}},
        {"Event", {go, QStringLiteral("click"), noData, 0u}},
        {"Event", {go, QStringLiteral("clicked")}},
        {"EventGroup", {QVariant::fromValue(MenuEventList{click(unknown), click(-7)})}},
        {"EventGroup", {QVariant::fromValue(MenuEventList{click(go), click(go, "pressed")})}},
        {"AboutToShow", {unknown}},
        {"AboutToShowGroup", {QVariant::fromValue(MenuIdList{unknown, INT_MAX})}},
        {"Frobnicate", {}},
    };
    for (const auto& [method, arguments] : refused) {
        const QDBusMessage reply = call(method, arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << method << " " << arguments.size();
        EXPECT_FALSE(reply.errorName().isEmpty()) << method;
    }
    const auto [revisionAfter, after] = layout();
    EXPECT_EQ(revisionAfter, revision);
    EXPECT_EQ(after.children.size(), before.children.size());
    EXPECT_TRUE(m_picked.empty());
}

TEST_F(DBusMenuObjectTest, GroupsSkipUnknownIdsAndStaleIdsAreRefusedAfterARebuild)
{
    const auto [revision, before] = layout();
    const int go = before.children[0].id;
    const int off = before.children[2].id;
    const QDBusMessage group =
        call("EventGroup", {QVariant::fromValue(MenuEventList{click(off), click(go), click(999)})});
    ASSERT_EQ(group.type(), QDBusMessage::ReplyMessage) << group.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<MenuIdList>(group.arguments().value(0)), MenuIdList{999});
    // The disabled row reports nothing; the enabled one reports its action once.
    EXPECT_EQ(m_picked, std::vector<std::string>{"go"});

    // The calls with id lists reach the menu (GTK hosts build their rows from these answers); an id a
    // host kept from an older layout is left out of the answer.
    const QDBusMessage properties =
        call("GetGroupProperties", {QVariant::fromValue(MenuIdList{off, 999, go}), QStringList()});
    ASSERT_EQ(properties.type(), QDBusMessage::ReplyMessage) << properties.errorMessage().toStdString();
    const auto answered = qdbus_cast<MenuItemPropertiesList>(properties.arguments().value(0));
    ASSERT_EQ(answered.size(), 2);
    EXPECT_EQ(answered[0].id, off);
    EXPECT_EQ(answered[1].properties.value(QStringLiteral("label")), QStringLiteral("Go"));
    const QDBusMessage shown = call("AboutToShowGroup", {QVariant::fromValue(MenuIdList{0, 999})});
    ASSERT_EQ(shown.type(), QDBusMessage::ReplyMessage) << shown.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<MenuIdList>(shown.arguments().value(1)), MenuIdList{999});

    m_menu.rebuild(state(sample));
    const auto [rebuilt, now] = layout();
    EXPECT_GT(rebuilt, revision);
    EXPECT_NE(now.children[0].id, go);
    EXPECT_EQ(call("Event", {go, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u}).type(),
              QDBusMessage::ErrorMessage);
    EXPECT_EQ(m_picked.size(), 1u);
}

TEST_F(DBusMenuObjectTest, UnderscoredLabelsCarryTheShownTextForScreenReaders)
{
    // GTK hosts name a row without "accessible-desc" after its label with every "_" removed.
    std::vector<MenuItemPropertiesList> updates;
    QObject::connect(&m_menu, &DBusMenuObject::ItemsPropertiesUpdated,
                     [&updates](const MenuItemPropertiesList& changed) { updates.push_back(changed); });
    const auto withGo = [](const std::string& text) {
        std::string json = sample;
        return json.replace(json.find(R"("Go")"), 4, text);
    };
    m_menu.rebuild(state(withGo(R"("Save & _quit_")")));
    const MenuLayoutItem row = layout().second.children[0];
    EXPECT_EQ(row.properties.value(QStringLiteral("label")), QStringLiteral("Save & __quit__"));
    EXPECT_EQ(row.properties.value(QStringLiteral("accessible-desc")), QStringLiteral("Save & _quit_"));
    EXPECT_FALSE(layout().second.children[2].properties.contains(QStringLiteral("accessible-desc")));

    // Once carried, it follows the label, also to a text without an underscore.
    QCoreApplication::processEvents();
    m_menu.update(state(withGo(R"("Quit")")));
    QCoreApplication::processEvents();
    ASSERT_EQ(updates.size(), 1u);
    ASSERT_EQ(updates[0].size(), 1);
    EXPECT_EQ(updates[0][0].properties.value(QStringLiteral("accessible-desc")), QStringLiteral("Quit"));
    const QDBusMessage desc = call("GetProperty", {row.id, QStringLiteral("accessible-desc")});
    EXPECT_EQ(desc.arguments().value(0).value<QDBusVariant>().variant(), QStringLiteral("Quit"));
}

TEST_F(DBusMenuObjectTest, StatesOfOnePassSendOneSignalWithTheLastValues)
{
    std::vector<uint> layouts;
    std::vector<MenuItemPropertiesList> updates;
    QObject::connect(&m_menu, &DBusMenuObject::LayoutUpdated,
                     [&layouts](uint revision, int) { layouts.push_back(revision); });
    QObject::connect(&m_menu, &DBusMenuObject::ItemsPropertiesUpdated,
                     [&updates](const MenuItemPropertiesList& changed) { updates.push_back(changed); });
    QCoreApplication::processEvents();
    layouts.clear();

    // In place: one signal, each property with its last value, nothing that did not change.
    const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string first = replaced(sample, R"("Go")", R"("Went")");
    const std::string second =
        replaced(replaced(first, R"("Went")", R"("Gone")"), R"("Off","enabled":false)", R"("Off","enabled":true)");
    m_menu.update(state(first));
    m_menu.update(state(second));
    QCoreApplication::processEvents();
    ASSERT_EQ(updates.size(), 1u);
    ASSERT_EQ(updates[0].size(), 2);
    EXPECT_EQ(updates[0][0].properties, (QVariantMap{{QStringLiteral("label"), QStringLiteral("Gone")}}));
    EXPECT_EQ(updates[0][1].properties, (QVariantMap{{QStringLiteral("enabled"), true}}));

    // A new layout stands for the changes made with it.
    m_menu.update(state(first));
    m_menu.rebuild(state(sample));
    m_menu.update(state(second));
    QCoreApplication::processEvents();
    EXPECT_EQ(updates.size(), 1u);
    EXPECT_EQ(layouts, std::vector<uint>{layout().first});
}

TEST_F(DBusMenuObjectTest, ARebuildShowsOnlyTheNewLayoutWhateverCameBefore)
{
    const std::string nested = R"({"status":"ready","iconStatus":"ready","tooltip":"t","menu":[)"
                               R"({"id":"p","text":"Parent","enabled":true,"children":[)"
                               R"({"id":"c1","text":"One","enabled":true,"action":"one"},)"
                               R"({"id":"c2","text":"Two","enabled":false,"action":"two"}]},)"
                               R"({"id":"s","text":"","enabled":true,"separator":true},)"
                               R"({"id":"q","text":"Quit_now","enabled":true,"action":"quit"}]})";
    const auto labelOf = [](const MenuLayoutItem& item) {
        return item.properties.value(QStringLiteral("label")).toString().toStdString();
    };
    // From three rows to a submenu and back: every item is what that layout alone makes it.
    for (const std::string& json : {nested, sample, nested}) {
        m_menu.rebuild(state(json));
        const auto [revision, root] = layout();
        const bool isNested = json == nested;
        ASSERT_EQ(root.children.size(), 3) << json;
        const MenuLayoutItem& first = root.children[0];
        EXPECT_EQ(labelOf(first), isNested ? "Parent" : "Go");
        EXPECT_EQ(first.children.size(), isNested ? 2 : 0);
        EXPECT_EQ(first.properties.value(QStringLiteral("children-display")).toString(),
                  isNested ? QStringLiteral("submenu") : QString());
        EXPECT_EQ(root.children[1].properties, (QVariantMap{{QStringLiteral("type"), QStringLiteral("separator")}}));
        EXPECT_EQ(labelOf(root.children[2]), isNested ? "Quit__now" : "Off");
        EXPECT_EQ(root.children[2].properties.value(QStringLiteral("accessible-desc")),
                  isNested ? QVariant(QStringLiteral("Quit_now")) : QVariant());
        EXPECT_EQ(root.children[2].properties.value(QStringLiteral("enabled")).toBool(), isNested);
        if (isNested) {
            EXPECT_EQ(labelOf(first.children[0]), "One");
            EXPECT_EQ(labelOf(first.children[1]), "Two");
            EXPECT_FALSE(first.children[1].properties.value(QStringLiteral("enabled")).toBool());
            // Ids follow the rows in order, children after their parent.
            EXPECT_EQ(first.children[0].id, first.id + 1);
            EXPECT_EQ(root.children[1].id, first.id + 3);
        }
    }
    // A click reaches the action of the row now shown under the id.
    const int two = layout().second.children[0].children[1].id;
    const int one = layout().second.children[0].children[0].id;
    for (const int id : {one, two}) {
        call("Event", {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0U});
    }
    EXPECT_EQ(m_picked, std::vector<std::string>{"one"});
}

} // namespace
} // namespace corvane
