#include "app/FormRun.h"

#include "form/AccessKeyForm.h"
#include "protocol/FormDispatcher.h"

namespace corvane {

FormRun::FormRun(EventSink& events, bool smoke, QObject* parent)
    : QObject(parent), m_form(new AccessKeyForm(events, this)),
      m_dispatcher(std::make_unique<FormDispatcher>(*m_form, events, smoke))
{
    connect(m_form, &AccessKeyForm::windowBuilt, this, &FormRun::windowBuilt);
    connect(m_form, &AccessKeyForm::visibilityConfirmed, this, &FormRun::visibilityConfirmed);
    connect(m_form, &AccessKeyForm::notVisible, this, &FormRun::notVisible);
}

FormRun::~FormRun() = default;

void FormRun::receive(const std::string& line)
{
    m_dispatcher->receive(line);
}

void FormRun::requestClose()
{
    m_form->requestClose();
}

void FormRun::stop()
{
    m_form->stop();
}

} // namespace corvane
