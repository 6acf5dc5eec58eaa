#include "setup/rename_input_dlg.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestRenameInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedNameIsUpperCaseAndShort_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << u"laser disc"_s << u"LASER DISC"_s;
        QTest::newRow("twenty characters") << u"abcdefghijklmnopqrst"_s << u"ABCDEFGHIJKLM"_s;
        QTest::newRow("twenty capitals") << u"ABCDEFGHIJKLMNOPQRST"_s << u"ABCDEFGHIJKLM"_s;
    }

    // Typed into the running dialog and saved with Enter, Save being the
    // default button.
    void typedNameIsUpperCaseAndShort()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        RenameInputDlg dialog;
        dialog.SetNames(u"DVD"_s, u"DVD"_s);
        auto* edit = dialog.findChild<QLineEdit*>(u"newName"_s);
        QString shown;
        QTimer::singleShot(0, &dialog, [&] {
            QVERIFY(dialog.isVisible());
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, typed);
            shown = edit->text();
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QVERIFY(dialog.Run());
        QCOMPARE(shown, name);
        QCOMPARE(dialog.NewName(), name);
    }
};

QTEST_MAIN(TestRenameInput)
#include "test_rename_input.moc"
