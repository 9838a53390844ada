// The form's flow: what a submit sends or refuses, what every verdict does from every state, and the
// one-way cancellation.
#include "FormHarness.h"
#include "form/FormLook.h"
#include "form/PathLabel.h"

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace corvane::test {
namespace {

const QString setupRefusal = QStringLiteral("请输入 Access Key，并选择项目目录。");
const QString replaceRefusal = QStringLiteral("请输入完整的 Access Key。");
const QString verifying = QStringLiteral("正在验证 Access Key…");

QString repeated(const QString& piece, int times)
{
    QString text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

class KeyCheck : public FormHarness {};

// The key as typed, and the key sent (nothing when the submit is refused).
struct KeyCase {
    const char* what;
    QString typed;
    std::optional<std::string> sent;
};

TEST_F(KeyCheck, KeysAreTrimmedAndMeasuredInUtf8Bytes)
{
    const QString x = QStringLiteral("x");
    const std::vector<KeyCase> cases = {
        {"empty", QString(), std::nullopt},
        {"spaces only", QStringLiteral("   "), std::nullopt},
        {"tabs and line breaks only", QStringLiteral("\t\n \r\n\t"), std::nullopt},
        {"Unicode white space only", QStringLiteral("\u3000\u00a0\u2028\u2003"), std::nullopt},
        {"one byte", QStringLiteral("k"), "k"},
        {"outer white space trimmed, inner kept", QStringLiteral(" \t\n a b\tc \r\n"), "a b\tc"},
        {"Unicode white space trimmed", QStringLiteral("\u3000\u00a0key\u2028\u2029"), "key"},
        {"256 ASCII bytes", repeated(x, 256), std::string(256, 'x')},
        {"257 ASCII bytes", repeated(x, 257), std::nullopt},
        {"256 bytes inside white space", QStringLiteral("  \t") + repeated(x, 256) + QStringLiteral("\n "),
         std::string(256, 'x')},
        {"85 Chinese characters, 255 bytes", repeated(QStringLiteral("钥"), 85),
         repeated(QStringLiteral("钥"), 85).toStdString()},
        {"86 Chinese characters, 258 bytes", repeated(QStringLiteral("钥"), 86), std::nullopt},
        {"254 bytes and a two-byte letter", repeated(x, 254) + QStringLiteral("é"), std::string(254, 'x') + "é"},
        {"255 bytes and a two-byte letter", repeated(x, 255) + QStringLiteral("é"), std::nullopt},
        {"64 four-byte characters", repeated(QStringLiteral("😀"), 64), repeated(QStringLiteral("😀"), 64).toStdString()},
    };
    for (const bool setup : {true, false}) {
        for (const KeyCase& keyCase : cases) {
            SCOPED_TRACE(std::string(keyCase.what) + (setup ? " (setup)" : " (replace-key)"));
            AccessKeyForm form(m_events);
            form.buildForm(setup, "/srv/project");
            auto* shown = qobject_cast<FormWindow*>(form.window());
            ASSERT_NE(shown, nullptr);
            shown->keyField()->setText(keyCase.typed);
            form.submitForm();
            std::vector<std::string> sent = m_events.take();
            std::erase(sent, R"({"event":"form-visible"})");
            if (keyCase.sent) {
                EXPECT_EQ(sent, std::vector<std::string>{submitLine(*keyCase.sent, setup ? "/srv/project" : "")});
                EXPECT_EQ(shown->feedback()->text(), verifying);
                EXPECT_FALSE(shown->keyField()->isEnabled());
            } else {
                EXPECT_EQ(sent, std::vector<std::string>{});
                EXPECT_EQ(shown->feedback()->text(), setup ? setupRefusal : replaceRefusal);
                EXPECT_TRUE(shown->keyField()->isEnabled());
                EXPECT_EQ(shown->keyField()->text(), keyCase.typed);
            }
        }
    }
}

TEST_F(KeyCheck, SetupWithoutAProjectFolderIsRefusedAndChangesNothingElse)
{
    FormWindow& shown = open(true, "");
    const Controls before = controls();
    setKey(QStringLiteral("valid-key"));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
    EXPECT_EQ(shown.feedback()->text(), setupRefusal);
    Controls expected = before;
    expected.key = QStringLiteral("valid-key");
    EXPECT_EQ(controls(), expected);
}

TEST_F(KeyCheck, ReplaceKeySendsTheKeyAloneEvenWithAProjectFolder)
{
    open(false, "/srv/project");
    setKey(QStringLiteral("new/key"));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"accessKey":"new\/key","event":"submit"})"});
}

TEST_F(KeyCheck, ReplaceKeyNeedsNoProjectFolder)
{
    open(false, "");
    setKey(QStringLiteral("k"));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"accessKey":"k","event":"submit"})"});
}

TEST_F(KeyCheck, SetupSendsTheKeyAndTheFolderThenShowsItselfBusy)
{
    open(true, "/home/me/项目");
    setKey(QStringLiteral(" secret "));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(),
              std::vector<std::string>{R"({"accessKey":"secret","event":"submit","projectRoot":"\/home\/me\/项目"})"});
    EXPECT_EQ(window().feedback()->text(), verifying);
    EXPECT_EQ(controls(), (Controls{.submitTitle = QStringLiteral("连接"),
                                    .cancelShown = true,
                                    .cancelEnabled = true,
                                    .spinning = true,
                                    .key = QStringLiteral(" secret ")}));
}

TEST_F(KeyCheck, RefusalAfterAnErrorKeepsTheErrorColourAndOnlyChangesTheText)
{
    FormWindow& shown = open(false);
    m_form.showResult(FormPhase::Error, "Access Key 无效");
    setKey(QStringLiteral("  "));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
    EXPECT_EQ(shown.feedback()->text(), replaceRefusal);
    EXPECT_TRUE(controls().red);
    EXPECT_TRUE(controls().keyEnabled);
}

class Verdicts : public FormHarness {};

// What the controls show after a verdict, by verdict and by whether the cancel was already sent. The
// key field holds "typed" before the verdict.
struct Expected {
    FormPhase phase;
    bool cancelled;
    Controls controls;
};

TEST_F(Verdicts, EveryVerdictFromEveryStateFollowsOnlyThePhaseAndTheCancellation)
{
    const QString typed = QStringLiteral("typed");
    const QString connect = QStringLiteral("连接");
    const QString done = QStringLiteral("完成");
    // clang-format off
    const std::vector<Expected> table = {
        {FormPhase::Busy,    false, {false, false, false, connect, true,  true,  true,  false, typed}},
        {FormPhase::Error,   false, {true,  true,  true,  connect, true,  true,  false, true,  typed}},
        {FormPhase::Success, false, {false, false, true,  done,    false, true,  false, false, QString()}},
        {FormPhase::Busy,    true,  {false, false, false, connect, true,  false, true,  false, typed}},
        {FormPhase::Error,   true,  {false, false, false, connect, true,  false, false, true,  typed}},
        {FormPhase::Success, true,  {false, false, false, done,    false, false, false, false, QString()}},
    };
    // clang-format on
    const std::vector<std::pair<const char*, std::optional<FormPhase>>> before = {
        {"editing", std::nullopt},
        {"busy", FormPhase::Busy},
        {"error", FormPhase::Error},
        {"success", FormPhase::Success},
    };
    for (const Expected& row : table) {
        for (const auto& [name, earlier] : before) {
            SCOPED_TRACE(std::string("from ") + name + " to " + std::string(phaseName(row.phase)) +
                         (row.cancelled ? ", cancel sent" : ""));
            AccessKeyForm form(m_events);
            form.buildForm(true, "/srv/project");
            auto* shown = qobject_cast<FormWindow*>(form.window());
            ASSERT_NE(shown, nullptr);
            if (earlier) {
                form.showResult(*earlier, "earlier");
            }
            if (row.cancelled) {
                form.requestClose();
            }
            shown->keyField()->setText(typed);
            form.showResult(row.phase, "verdict");
            EXPECT_EQ(controlsOf(*shown), row.controls);
            EXPECT_EQ(shown->feedback()->text(), QStringLiteral("verdict"));
            EXPECT_EQ(form.keyFieldEnabled(), row.controls.keyEnabled);
            form.stop();
        }
    }
    // Verdicts send nothing; only the cancels of the cancelled rows were sent.
    std::vector<std::string> sent = m_events.take();
    std::erase(sent, R"({"event":"form-visible"})");
    EXPECT_EQ(sent, std::vector<std::string>(3 * before.size(), R"({"event":"cancel"})"));
}

TEST_F(Verdicts, FeedbackIsSecondaryExceptForErrorsAndCanBeCopied)
{
    FormWindow& shown = open(true);
    EXPECT_EQ(shown.feedback()->textInteractionFlags(), Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const QColor secondary = secondaryTextColour(shown.palette());
    EXPECT_EQ(shown.feedback()->palette().color(QPalette::WindowText), secondary);
    for (const FormPhase phase : {FormPhase::Error, FormPhase::Busy, FormPhase::Error, FormPhase::Success}) {
        m_form.showResult(phase, "message");
        const QColor colour = shown.feedback()->palette().color(QPalette::WindowText);
        if (phase == FormPhase::Error) {
            EXPECT_TRUE(isRed(colour)) << colour.name().toStdString();
        } else {
            EXPECT_EQ(colour, secondary) << phaseName(phase);
        }
    }
}

TEST_F(Verdicts, NulInTheMessageOrTheFolderIsShownAsAVisibleSymbolNotACut)
{
    FormWindow& shown = open(true, std::string("/srv/a\0b", 8));
    EXPECT_EQ(shown.projectRootLabel()->text(), QStringLiteral("/srv/a\u2400b"));
    m_form.showResult(FormPhase::Error, std::string("bad\0key", 7));
    EXPECT_EQ(shown.feedback()->text(), QStringLiteral("bad\u2400key"));
    // The folder is still sent as the controller gave it.
    setKey(QStringLiteral("k"));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(), std::vector<std::string>{submitLine("k", std::string("/srv/a\0b", 8))});
}

TEST_F(Verdicts, ErrorPutsTheFocusBackInTheKeyField)
{
    FormWindow& shown = open(true);
    shown.cancelButton()->setFocus();
    ASSERT_EQ(shown.focusWidget(), shown.cancelButton());
    m_form.showResult(FormPhase::Busy, "");
    m_form.showResult(FormPhase::Error, "wrong key");
    EXPECT_EQ(shown.focusWidget(), shown.keyField());
}

TEST_F(Verdicts, ErrorAfterSuccessReturnsToEditingWithCancelShown)
{
    open(true);
    setKey(QStringLiteral("abc"));
    m_form.submitForm();
    m_form.showResult(FormPhase::Success, "ok");
    m_form.showResult(FormPhase::Error, "bound elsewhere");
    EXPECT_EQ(controls(), (Controls{true, true, true, QStringLiteral("连接"), true, true, false, true, QString()}));
    setKey(QStringLiteral("again"));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(),
              (std::vector<std::string>{submitLine("abc", "/tmp/project"), submitLine("again", "/tmp/project")}));
}

TEST_F(Verdicts, ReplaceKeyCompletesWithDoneAndReturnsToItsOwnTitle)
{
    FormWindow& shown = open(false);
    m_form.showResult(FormPhase::Success, "");
    EXPECT_EQ(shown.submitButton()->text(), QStringLiteral("完成"));
    m_form.showResult(FormPhase::Error, "");
    EXPECT_EQ(shown.submitButton()->text(), QStringLiteral("更换"));
}

class Cancellation : public FormHarness {};

TEST_F(Cancellation, FirstCloseRequestSendsOneCancelAndDisablesEverything)
{
    FormWindow& shown = open(true);
    setKey(QStringLiteral("kept"));
    m_form.requestClose();
    EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"event":"cancel"})"});
    EXPECT_EQ(controls(), (Controls{false, false, false, QStringLiteral("连接"), true, false, false, false,
                                    QStringLiteral("kept")}));
    m_form.requestClose();
    shown.cancelButton()->click();
    EXPECT_FALSE(shown.close());
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
}

TEST_F(Cancellation, EveryWayToCloseSendsOneCancelAndTheWindowStays)
{
    using Way = std::function<void(AccessKeyForm&, FormWindow&)>;
    const std::vector<std::pair<const char*, Way>> ways = {
        {"cancel button", [](AccessKeyForm&, FormWindow& shown) { shown.cancelButton()->click(); }},
        {"close button", [](AccessKeyForm&, FormWindow& shown) { shown.close(); }},
        {"Escape", [](AccessKeyForm&, FormWindow& shown) { QTest::keyClick(&shown, Qt::Key_Escape); }},
        {"close request", [](AccessKeyForm& form, FormWindow&) { form.requestClose(); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        AccessKeyForm form(m_events);
        FormWindow* shown = showActive(form, false, "");
        ASSERT_NE(shown, nullptr);
        m_events.take();
        close(form, *shown);
        close(form, *shown);
        EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"event":"cancel"})"});
        EXPECT_TRUE(shown->isVisible());
        form.stop();
    }
}

TEST_F(Cancellation, SubmitAfterCancelSendsNothingAndChangesNothing)
{
    FormWindow& shown = open(true);
    m_form.requestClose();
    m_events.take();
    for (const QString& key : {QStringLiteral("valid"), QString()}) {
        setKey(key);
        m_form.submitForm();
        m_form.submitKey("another");
    }
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
    EXPECT_EQ(shown.feedback()->text(), QString());
    EXPECT_FALSE(controls().spinning);
}

TEST_F(Cancellation, NoVerdictReenablesTheInputsAfterCancel)
{
    open(true);
    m_form.showResult(FormPhase::Busy, "");
    m_form.requestClose();
    for (const FormPhase phase : {FormPhase::Error, FormPhase::Success, FormPhase::Error, FormPhase::Busy}) {
        m_form.showResult(phase, "");
        const Controls now = controls();
        EXPECT_FALSE(now.keyEnabled || now.chooseEnabled || now.submitEnabled || now.cancelEnabled)
            << phaseName(phase) << " " << now;
    }
}

TEST_F(Cancellation, SubmitWhileBusySendsNothingMore)
{
    open(true);
    setKey(QStringLiteral("first"));
    m_form.submitForm();
    setKey(QStringLiteral("second"));
    m_form.submitForm();
    m_form.submitKey("third");
    QTest::keyClick(&window(), Qt::Key_Return);
    EXPECT_EQ(m_events.take(), std::vector<std::string>{submitLine("first", "/tmp/project")});
}

TEST_F(Cancellation, DoneButtonOrReturnAfterSuccessSendsExactlyOneCancel)
{
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Return" : "click");
        AccessKeyForm form(m_events);
        FormWindow* shown = showActive(form, true, "/p");
        ASSERT_NE(shown, nullptr);
        form.submitKey("k");
        form.showResult(FormPhase::Success, "done");
        m_events.take();
        for (int press = 0; press < 3; ++press) {
            if (byKey) {
                QTest::keyClick(shown, Qt::Key_Return);
            } else {
                shown->submitButton()->click();
                form.submitForm();
            }
        }
        EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"event":"cancel"})"});
        EXPECT_FALSE(shown->submitButton()->isEnabled());
        EXPECT_TRUE(shown->cancelButton()->isHidden());
        form.stop();
    }
}

TEST_F(Cancellation, StopWipesTheKeyAndLetsTheWindowClose)
{
    FormWindow& shown = open(true);
    setKey(QStringLiteral("secret"));
    m_form.stop();
    EXPECT_EQ(shown.keyField()->text(), QString());
    EXPECT_TRUE(shown.close());
    EXPECT_FALSE(shown.isVisible());
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
}

class Keyboard : public FormHarness {};

TEST_F(Keyboard, KeyFieldHasTheFocusOnceShown)
{
    FormWindow& shown = open(true);
    EXPECT_EQ(QApplication::focusWidget(), shown.keyField());
}

TEST_F(Keyboard, TypedKeyAndReturnOrEnterSubmitOnce)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        AccessKeyForm form(m_events);
        FormWindow* shown = showActive(form, false, "");
        ASSERT_NE(shown, nullptr);
        m_events.take();
        QTest::keyClicks(shown->keyField(), QStringLiteral("typed key"));
        QTest::keyClick(shown->keyField(), key);
        EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"accessKey":"typed key","event":"submit"})"});
        form.stop();
    }
}

TEST_F(Keyboard, ReturnWithAnIncompleteFormShowsTheHintOnly)
{
    FormWindow& shown = open(true, "");
    QTest::keyClicks(shown.keyField(), QStringLiteral("key"));
    QTest::keyClick(shown.keyField(), Qt::Key_Return);
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
    EXPECT_EQ(shown.feedback()->text(), setupRefusal);
}

TEST_F(Keyboard, EscapeWhileBusyCancelsAndAfterSuccessDoesNothing)
{
    FormWindow& shown = open(true);
    m_form.showResult(FormPhase::Success, "");
    QTest::keyClick(&shown, Qt::Key_Escape);
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
    m_form.showResult(FormPhase::Busy, "");
    QTest::keyClick(&shown, Qt::Key_Escape);
    QTest::keyClick(&shown, Qt::Key_Escape);
    EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"event":"cancel"})"});
}

// The desktop's convention: a focused button takes Return and Space; Return elsewhere presses the
// default (submit) button. In replace-key mode a Return on Cancel must never replace the key.
TEST_F(Keyboard, ReturnAndSpacePressTheFocusedButtonNotTheDefaultOne)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        AccessKeyForm form(m_events);
        FormWindow* shown = showActive(form, true, "/srv/p");
        ASSERT_NE(shown, nullptr);
        m_events.take();
        shown->keyField()->setText(QStringLiteral("k"));
        shown->chooseButton()->setFocus();
        QTest::keyClick(shown->chooseButton(), key);
        EXPECT_TRUE(QTest::qWaitFor([shown] { return shown->findChildren<QFileDialog*>().size() == 1; }));
        form.stop();
        EXPECT_EQ(m_events.take(), std::vector<std::string>{});

        AccessKeyForm replaceKey(m_events);
        FormWindow* replacing = showActive(replaceKey, false, "");
        ASSERT_NE(replacing, nullptr);
        m_events.take();
        replacing->keyField()->setText(QStringLiteral("k"));
        replacing->cancelButton()->setFocus();
        QTest::keyClick(replacing->cancelButton(), key);
        EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"event":"cancel"})"});
        replaceKey.stop();
    }
}

TEST_F(Keyboard, SpaceOnTheSubmitButtonSubmitsAndARefusalPutsTheFocusBackInTheKeyField)
{
    FormWindow& shown = open(true, "");
    shown.keyField()->setText(QStringLiteral("k"));
    shown.submitButton()->setFocus();
    QTest::keyClick(shown.submitButton(), Qt::Key_Space);
    EXPECT_EQ(shown.feedback()->text(), setupRefusal);
    EXPECT_EQ(QApplication::focusWidget(), shown.keyField());
    // A Space typed next goes into the key, not to a button.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(shown.keyField()->text(), QStringLiteral("k "));
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
}

TEST_F(Keyboard, WhileBusyTheFocusLeavesNoButtonForReturnOrSpaceToPress)
{
    FormWindow& shown = open(false);
    QTest::keyClicks(shown.keyField(), QStringLiteral("k"));
    QTest::keyClick(shown.keyField(), Qt::Key_Return);
    ASSERT_EQ(m_events.take(), std::vector<std::string>{R"({"accessKey":"k","event":"submit"})"});
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(qobject_cast<QPushButton*>(QApplication::focusWidget()), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"event":"cancel"})"});
}

// How much of a button's outer two-pixel band, and of its face, is drawn in `colour`.
struct Coverage {
    double band = 0;
    double face = 0;
};

Coverage coverage(QPushButton* button, const QColor& colour)
{
    const QImage image = button->grab().toImage();
    const auto near = [&colour](QRgb pixel) {
        return std::abs(qRed(pixel) - colour.red()) + std::abs(qGreen(pixel) - colour.green()) +
                   std::abs(qBlue(pixel) - colour.blue()) <
               60;
    };
    int band = 0, bandAll = 0, face = 0, faceAll = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int edge = std::min({x, y, image.width() - 1 - x, image.height() - 1 - y});
            if (edge < 2) {
                ++bandAll;
                band += near(image.pixel(x, y));
            } else if (edge >= 5) {
                ++faceAll;
                face += near(image.pixel(x, y));
            }
        }
    }
    return {double(band) / bandAll, double(face) / faceAll};
}

TEST_F(Keyboard, FocusRingIsPlainlyUnlikeTheDefaultButtonsLook)
{
    FormWindow& shown = open(false);
    const QColor accent = shown.palette().color(QPalette::Highlight);
    shown.keyField()->setFocus();
    const Coverage defaultButton = coverage(shown.submitButton(), accent);
    const Coverage plainButton = coverage(shown.cancelButton(), accent);
    shown.cancelButton()->setFocus();
    const Coverage focusedButton = coverage(shown.cancelButton(), accent);
    // The focused button: an accent ring and a plain face. The default button: an accent face.
    EXPECT_GT(focusedButton.band, 0.6);
    EXPECT_LT(focusedButton.face, 0.1);
    EXPECT_GT(defaultButton.face, 0.6);
    EXPECT_LT(plainButton.band, 0.1);
    EXPECT_LT(plainButton.face, 0.1);
}

} // namespace
} // namespace corvane::test
