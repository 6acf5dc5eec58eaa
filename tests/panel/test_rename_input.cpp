#include "setup/rename_input_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Runs the dialog for real, with `act` playing the user once it is up.
bool RunWith(RenameInputDlg& dialog, std::function<void()> act)
{
    QTimer::singleShot(0, &dialog, [&dialog, act = std::move(act)] {
        QVERIFY(dialog.isVisible());
        act();
    });
    return dialog.Run();
}

} // namespace

class TestRenameInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout()
    {
        RenameInputDlg dialog;
        QCOMPARE(dialog.windowTitle(), u"Rename Input"_s);
        QStringList labels;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            labels.append(label->text());
        QCOMPARE(labels, (QStringList{u"Old Name:"_s, u"New Name:"_s}));
        auto* save = dialog.findChild<QPushButton*>(u"save"_s);
        auto* cancel = dialog.findChild<QPushButton*>(u"cancel"_s);
        QCOMPARE(save->text(), u"Save"_s);
        QVERIFY(save->isDefault());
        QCOMPARE(cancel->text(), u"Cancel"_s);
        dialog.SetNames(u"VCR"_s, u"VCR"_s);
        auto* oldName = dialog.findChild<QLineEdit*>(u"oldName"_s);
        QCOMPARE(oldName->text(), u"VCR"_s);
        QVERIFY(!oldName->isEnabled());
    }

    void typedNameIsUpperCaseAndShort_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << u"laser disc"_s << u"LASER DISC"_s;
        QTest::newRow("mixed") << u"Sat 2"_s << u"SAT 2"_s;
        QTest::newRow("digits and signs") << u"video-2/b"_s << u"VIDEO-2/B"_s;
        QTest::newRow("twenty characters") << u"abcdefghijklmnopqrst"_s << u"ABCDEFGHIJKLM"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    // Typed into the dialog and saved with Enter (Save is the default).
    void typedNameIsUpperCaseAndShort()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        RenameInputDlg dialog;
        dialog.SetNames(u"DVD"_s, u"DVD"_s);
        auto* edit = dialog.findChild<QLineEdit*>(u"newName"_s);
        QString shown;
        const bool saved = RunWith(dialog, [&] {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, typed);
            shown = edit->text();
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QVERIFY(saved);
        QCOMPARE(shown, name);
        QCOMPARE(dialog.NewName(), name);
    }

    void cancelKeepsNothing()
    {
        RenameInputDlg dialog;
        dialog.SetNames(u"DVD"_s, u"DVD"_s);
        auto* edit = dialog.findChild<QLineEdit*>(u"newName"_s);
        const bool saved = RunWith(dialog, [&] {
            QTest::keyClicks(edit, u"x"_s);
            QTest::mouseClick(dialog.findChild<QPushButton*>(u"cancel"_s), Qt::LeftButton);
        });
        QVERIFY(!saved);
    }

    // The hook answers without showing anything, and its name is taken as
    // given so callers can be tested with names the dialog would refuse.
    void hookAnswersWithoutShowing()
    {
        RenameInputDlg dialog;
        dialog.SetNames(u"TAPE"_s, u"TAPE"_s);
        const int shown = RenameInputDlg::Shown();
        RenameInputDlg::SetNextAnswer(u"a very long name indeed"_s);
        RenameInputDlg::SetNextAnswer(std::nullopt);
        QVERIFY(dialog.Run());
        QCOMPARE(dialog.NewName(), u"a very long name indeed"_s);
        QVERIFY(!dialog.Run());
        QCOMPARE(RenameInputDlg::Shown(), shown + 2);
        QCOMPARE(RenameInputDlg::LastOldName(), u"TAPE"_s);
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TestRenameInput)
#include "test_rename_input.moc"
