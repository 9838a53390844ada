#include "FormHarness.h"

#include "form/Spinner.h"

#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace corvane::test {

void RecordingSink::emit(std::string_view name, const EventPayload& payload)
{
    std::string line = encodeEventLine(name, payload);
    line.pop_back();
    m_lines.push_back(std::move(line));
    if (m_arrived) {
        m_arrived();
    }
}

bool RecordingSink::awaitLines(std::size_t count, std::chrono::milliseconds bound)
{
    if (m_lines.size() >= count) {
        return true;
    }
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    m_arrived = [this, count, &loop] {
        if (m_lines.size() >= count) {
            loop.quit();
        }
    };
    timeout.start(bound);
    loop.exec();
    m_arrived = nullptr;
    return m_lines.size() >= count;
}

std::vector<std::string> RecordingSink::take()
{
    return std::exchange(m_lines, {});
}

std::ostream& operator<<(std::ostream& out, const Controls& controls)
{
    return out << "{key " << (controls.keyEnabled ? "on" : "off") << ", choose "
               << (controls.chooseEnabled ? "on" : "off") << ", submit " << (controls.submitEnabled ? "on" : "off")
               << " \"" << controls.submitTitle.toStdString() << "\", cancel "
               << (controls.cancelShown ? (controls.cancelEnabled ? "on" : "off") : "hidden") << ", spinner "
               << (controls.spinning ? "on" : "off") << ", " << (controls.red ? "red" : "secondary") << ", key \""
               << controls.key.toStdString() << "\"}";
}

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

FormWindow& FormHarness::open(bool setup, const std::string& projectRoot)
{
    m_form.buildForm(setup, projectRoot);
    EXPECT_TRUE(m_events.awaitLines(1));
    EXPECT_EQ(m_events.take(), std::vector<std::string>{R"({"event":"form-visible"})"});
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
    return window();
}

FormWindow* FormHarness::showActive(AccessKeyForm& form, bool setup, const std::string& projectRoot)
{
    form.buildForm(setup, projectRoot);
    auto* shown = qobject_cast<FormWindow*>(form.window());
    if (!shown || !m_events.awaitLines(1) || !QTest::qWaitForWindowActive(shown)) {
        return nullptr;
    }
    return shown;
}

FormWindow& FormHarness::window() const
{
    auto* formWindow = qobject_cast<FormWindow*>(m_form.window());
    if (!formWindow) {
        throw std::logic_error("the form was not built");
    }
    return *formWindow;
}

Controls FormHarness::controlsOf(const FormWindow& shown)
{
    return {
        .keyEnabled = shown.keyField()->isEnabled(),
        .chooseEnabled = shown.chooseButton()->isEnabled(),
        .submitEnabled = shown.submitButton()->isEnabled(),
        .submitTitle = shown.submitButton()->text(),
        .cancelShown = !shown.cancelButton()->isHidden(),
        .cancelEnabled = shown.cancelButton()->isEnabled(),
        .spinning = shown.progress()->isRunning(),
        .red = isRed(shown.feedback()->palette().color(QPalette::WindowText)),
        .key = shown.keyField()->text(),
    };
}

void FormHarness::setKey(const QString& key)
{
    window().keyField()->setText(key);
}

std::string FormHarness::submitLine(const std::string& key, const std::string& projectRoot)
{
    EventPayload payload{{"accessKey", key}};
    if (!projectRoot.empty()) {
        payload.emplace("projectRoot", projectRoot);
    }
    std::string line = encodeEventLine("submit", payload);
    line.pop_back();
    return line;
}

bool FormHarness::isRed(const QColor& colour)
{
    // A red of any lightness: light on a dark palette, dark on a light one.
    const int hue = colour.hsvHue();
    return (hue >= 340 || (hue >= 0 && hue <= 15)) && colour.hsvSaturation() > 120 && colour.value() > 150;
}

} // namespace corvane::test
