#pragma once

#include <QMessageBox>

#include <functional>
#include <optional>

class QWidget;

// Every message box of the program goes through here, so that tests can
// answer them without a box ever blocking: SetNextAnswer queues the answer of
// the next box, which is then recorded instead of shown.
class MessageBox
{
public:
    // A Yes/No question with the question icon; true only on Yes.
    static bool Confirm(QWidget* parent, const QString& text);
    static void Error(QWidget* parent, const QString& text);
    static void Information(QWidget* parent, const QString& text);
    // A box without an icon.
    static void Plain(QWidget* parent, const QString& text);

    // Test hooks.
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    // The answer of every box when none is queued (a box nobody expected
    // must not block a test); nullopt shows such boxes again.
    static void SetUnqueuedAnswer(std::optional<QMessageBox::StandardButton> answer);
    static QString LastText();
    // Called with the text of every box as it comes up (what stands behind
    // it can be looked at then); an empty function removes it.
    static void SetShowHook(std::function<void(const QString& text)> hook);
    static int Shown();

private:
    static QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons);
};
