// bench_bare_form: the form baseline. Prints {"event":"ready"}; on its first input line builds a plain
// QWidget with the same controls and size as the Access Key form (setup variant), shows it and prints
// {"event":"form-visible"} once it is exposed. End of input quits.
#include "ExposeWatch.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>
#include <unistd.h>

namespace {

void say(const char* line)
{
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, line, std::strlen(line));
}

QWidget* buildWindow()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(QStringLiteral("Corvane"));
    window->setFixedSize(480, 440);
    auto* stack = new QVBoxLayout(window);
    stack->setContentsMargins(24, 24, 24, 24);
    stack->setSpacing(12);
    stack->setAlignment(Qt::AlignTop);
    auto* heading = new QLabel(QStringLiteral("完成设置"), window);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSize(20);
    heading->setFont(headingFont);
    stack->addWidget(heading);
    auto* explanation = new QLabel(QStringLiteral("输入管理员发放的 Access Key，并选择项目目录。远程操作使用你的 "
                                                  "macOS 用户权限；项目目录限制文件工具，不是 Shell 沙箱。"),
                                   window);
    explanation->setWordWrap(true);
    stack->addWidget(explanation);
    stack->addWidget(new QLabel(QStringLiteral("Access Key"), window));
    auto* key = new QLineEdit(window);
    key->setEchoMode(QLineEdit::Password);
    key->setPlaceholderText(QStringLiteral("Access Key"));
    stack->addWidget(key);
    stack->addWidget(new QLabel(QStringLiteral("项目目录"), window));
    auto* folderRow = new QHBoxLayout();
    folderRow->addWidget(new QLabel(QStringLiteral("尚未选择项目目录"), window), 1);
    folderRow->addWidget(new QPushButton(QStringLiteral("选择…"), window));
    stack->addLayout(folderRow);
    auto* feedback = new QLabel(window);
    feedback->setWordWrap(true);
    stack->addWidget(feedback);
    auto* buttonRow = new QHBoxLayout();
    buttonRow->addStretch(1);
    buttonRow->addWidget(new QPushButton(QStringLiteral("取消"), window));
    auto* submit = new QPushButton(QStringLiteral("连接"), window);
    submit->setDefault(true);
    buttonRow->addWidget(submit);
    stack->addLayout(buttonRow);
    window->show();
    window->raise();
    window->activateWindow();
    key->setFocus();
    return window;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget* window = nullptr;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&window, &input] {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        if (!window && std::memchr(buffer, '\n', static_cast<std::size_t>(count))) {
            window = buildWindow();
            new ExposeWatch(window->windowHandle(), [] { say("{\"event\":\"form-visible\"}\n"); });
        }
    });
    say("{\"event\":\"ready\"}\n");
    const int status = QApplication::exec();
    delete window;
    return status;
}
