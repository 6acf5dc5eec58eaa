#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;

// "Compare with Settings File": what the comparison of the unit with a
// settings file found, one difference a row ("A/V preset 3 > Speaker Setup >
// CenterSpeaker: file Large, unit Small"), or that the unit holds what the
// file holds; below, what a comparison never looks at. Shown without
// blocking; closes itself away.
class CompareResultDlg : public QDialog
{
    Q_OBJECT

public:
    CompareResultDlg(const QString& path, const QStringList& differences,
                     const QString& notCompared, QWidget* parent = nullptr);

    QString Summary() const;
    QStringList Differences() const;

private:
    QLabel* summary = nullptr;
    QListWidget* list = nullptr;
};
