// What the form dispatcher needs from the user interface. The Qt form implements it; transcript tests
// implement it in memory. Main thread only.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

enum class FormPhase { Busy, Success, Error };

std::string_view phaseName(FormPhase phase);

class FormFrontend {
public:
    virtual ~FormFrontend() = default;
    virtual bool formShown() const = 0;
    // Builds and shows the form; called at most once, while no form is shown.
    virtual void buildForm(bool setup, const std::string& projectRoot) = 0;
    virtual void showResult(FormPhase phase, const std::string& message) = 0;
    virtual bool keyFieldEnabled() const = 0;
    // The close request, as the form's cancel button makes it.
    virtual void requestClose() = 0;
    // Puts `accessKey` into the key field and submits the form, as the submit button does.
    virtual void submitKey(const std::string& accessKey) = 0;
};

} // namespace corvane
