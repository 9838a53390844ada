// What a form-mode run needs beyond the shared application: the Access Key form and its dispatcher.
// Input that comes while the form's visibility is being confirmed waits in the input channel (paused
// on windowBuilt, resumed on visibilityConfirmed), so lines and the end of input are handled after
// "form-visible", in the order they came. Main thread only.
#pragma once

#include <QObject>
#include <QWidget>

#include <memory>
#include <string>

namespace corvane {

class AccessKeyForm;
class EventSink;
class FormDispatcher;

class FormRun final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormRun)

public:
    FormRun(EventSink& events, bool smoke, QObject* parent);
    ~FormRun() override;

    void receive(const std::string& line);
    // A close or quit request: one "cancel" while the form is open.
    void requestClose();
    void stop();

Q_SIGNALS:
    void windowBuilt(QWidget* window);
    void visibilityConfirmed();
    void notVisible();

private:
    AccessKeyForm* m_form = nullptr;
    std::unique_ptr<FormDispatcher> m_dispatcher;
};

} // namespace corvane
