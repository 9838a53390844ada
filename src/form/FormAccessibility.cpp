#include "form/FormAccessibility.h"

#include "form/FormWindow.h"
#include "form/PathLabel.h"
#include "form/Spinner.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace corvane {
namespace {

class FolderLabelAccessible final : public QAccessibleWidget {
public:
    explicit FolderLabelAccessible(PathLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override
    {
        const auto* label = static_cast<const PathLabel*>(widget());
        return kind == QAccessible::Name ? label->text() : QAccessibleWidget::text(kind);
    }

    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override
    {
        auto found = QAccessibleWidget::relations(match);
        const auto* label = static_cast<const PathLabel*>(widget());
        if ((match & QAccessible::Label) && label->labelledBy()) {
            found.append({QAccessible::queryAccessibleInterface(label->labelledBy()), QAccessible::Label});
        }
        return found;
    }
};

class SpinnerAccessible final : public QAccessibleWidget {
public:
    explicit SpinnerAccessible(Spinner* spinner) : QAccessibleWidget(spinner, QAccessible::ProgressBar) {}

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? QStringLiteral("进度") : QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.busy = static_cast<const Spinner*>(widget())->isRunning();
        return state;
    }
};

// The status line: a status bar named by the whole message, also when the label shows it cut short.
class StatusLineAccessible final : public QAccessibleWidget {
public:
    explicit StatusLineAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StatusBar) {}

    QString text(QAccessible::Text kind) const override
    {
        const auto* label = static_cast<const QLabel*>(widget());
        if (kind == QAccessible::Name) {
            return label->toolTip().isEmpty() ? label->text() : label->toolTip();
        }
        return kind == QAccessible::Description ? QString() : QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* formInterface(const QString& /*className*/, QObject* object)
{
    if (auto* window = qobject_cast<FormWindow*>(object)) {
        return new QAccessibleWidget(window, QAccessible::Window);
    }
    if (auto* label = qobject_cast<PathLabel*>(object)) {
        return new FolderLabelAccessible(label);
    }
    if (auto* spinner = qobject_cast<Spinner*>(object)) {
        return new SpinnerAccessible(spinner);
    }
    auto* label = qobject_cast<QLabel*>(object);
    if (label && label->objectName() == QLatin1String(FormWindow::statusLineName)) {
        return new StatusLineAccessible(label);
    }
    return nullptr;
}

QAccessible::UpdateHandler earlierHandler = nullptr;
void filterUpdate(QAccessibleEvent* event);

// Hands the event on to whoever would have had it: an earlier handler, or Qt's platform bridge, which
// Qt calls only while no handler is installed.
void forward(QAccessibleEvent* event)
{
    if (earlierHandler) {
        earlierHandler(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(filterUpdate);
}

void filterUpdate(QAccessibleEvent* event)
{
    auto* field = qobject_cast<QLineEdit*>(event->object());
    if (!field || field->echoMode() == QLineEdit::Normal) {
        forward(event);
        return;
    }
    const QChar mask(field->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, field));
    const auto masked = [mask](const QString& text) { return QString(text.size(), mask); };
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto* inserted = static_cast<QAccessibleTextInsertEvent*>(event);
        QAccessibleTextInsertEvent safe(field, inserted->changePosition(), masked(inserted->textInserted()));
        forward(&safe);
        return;
    }
    case QAccessible::TextRemoved: {
        const auto* removed = static_cast<QAccessibleTextRemoveEvent*>(event);
        QAccessibleTextRemoveEvent safe(field, removed->changePosition(), masked(removed->textRemoved()));
        forward(&safe);
        return;
    }
    case QAccessible::TextUpdated: {
        const auto* updated = static_cast<QAccessibleTextUpdateEvent*>(event);
        QAccessibleTextUpdateEvent safe(field, updated->changePosition(), masked(updated->textRemoved()),
                                        masked(updated->textInserted()));
        forward(&safe);
        return;
    }
    case QAccessible::ValueChanged:
        // The value of a masked field is its text: nothing to tell.
        return;
    default:
        forward(event);
        return;
    }
}

} // namespace

void installFormAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(formInterface);
        earlierHandler = QAccessible::installUpdateHandler(filterUpdate);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceNameChange(QWidget* widget)
{
    QAccessibleEvent changed(widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

} // namespace corvane
