#pragma once

#include <QDialog>
#include <QList>

#include <functional>
#include <utility>

// The test hook of the tuner dialogs: answers queued per dialog class, one
// taken by each Run. With an answer queued, Run shows the dialog without a
// modal loop and calls the answer with it; the answer works the controls
// (OK and Cancel included). With none, Run runs the dialog modally. Used on
// the GUI thread only.
template <typename Dialog> class DialogAnswers
{
public:
    using Answer = std::function<void(Dialog& dialog)>;

    static void Queue(Answer answer) { answers.append(std::move(answer)); }

    // True when the dialog was accepted (by the time the answer returned).
    static bool Run(Dialog& dialog)
    {
        if (answers.isEmpty())
            return dialog.exec() == QDialog::Accepted;
        const Answer answer = answers.takeFirst();
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        answer(dialog);
        const bool accepted = dialog.result() == QDialog::Accepted;
        dialog.hide();
        return accepted;
    }

private:
    static inline QList<Answer> answers;
};
