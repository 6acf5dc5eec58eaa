#include "common/message_box.h"

#include <QApplication>
#include <QList>

namespace {

QList<QMessageBox::StandardButton> answers;
std::optional<QMessageBox::StandardButton> unqueued;
QString lastText;
int shown = 0;
std::function<void(const QString&)> showHook;

} // namespace

QMessageBox::StandardButton MessageBox::Show(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& text,
                                             QMessageBox::StandardButtons buttons)
{
    lastText = text;
    ++shown;
    if (showHook)
        showHook(text);
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (unqueued)
        return *unqueued;
    QMessageBox box(icon, QApplication::applicationName(), text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool MessageBox::Confirm(QWidget* parent, const QString& text)
{
    return Show(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MessageBox::Error(QWidget* parent, const QString& text)
{
    Show(parent, QMessageBox::Critical, text, QMessageBox::Ok);
}

void MessageBox::Information(QWidget* parent, const QString& text)
{
    Show(parent, QMessageBox::Information, text, QMessageBox::Ok);
}

void MessageBox::Plain(QWidget* parent, const QString& text)
{
    Show(parent, QMessageBox::NoIcon, text, QMessageBox::Ok);
}

void MessageBox::SetNextAnswer(QMessageBox::StandardButton answer)
{
    answers.append(answer);
}

void MessageBox::SetUnqueuedAnswer(std::optional<QMessageBox::StandardButton> answer)
{
    unqueued = answer;
}

void MessageBox::SetShowHook(std::function<void(const QString& text)> hook)
{
    showHook = std::move(hook);
}

QString MessageBox::LastText()
{
    return lastText;
}

int MessageBox::Shown()
{
    return shown;
}
