#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

// The modal "Rename Input" dialog: shows an input's old name and lets the
// user type a new one, forced to upper case and at most 13 characters.
// The caller fills both names, runs it with Run() and on Save reads NewName().
//
// Test hook: SetNextAnswer queues the outcome of the next Run(), which then
// returns at once without showing the dialog (a name means Save with exactly
// that name, unlimited and as given; no name means Cancel).
class RenameInputDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int NameLength = 13;

    explicit RenameInputDlg(QWidget* parent = nullptr);

    void SetNames(const QString& oldName, const QString& newName);
    QString OldName() const;
    QString NewName() const { return newName; }

    // Runs the dialog modally; true when it was closed with Save.
    bool Run();

    static void SetNextAnswer(const std::optional<QString>& name);
    // The old name of the last dialog run, and how many were run.
    static QString LastOldName();
    static int Shown();

private:
    QLineEdit* oldEdit = nullptr;
    QLineEdit* newEdit = nullptr;
    QString newName;
};
