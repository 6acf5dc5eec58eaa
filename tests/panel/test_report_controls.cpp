// The control panel's report-driven buttons and spin arrows as assistive
// technology sees and operates them: every input path only clicks, and the
// mark changes only by setChecked().

#include "panel/report_check_box.h"
#include "panel/report_radio_button.h"
#include "panel/spin_arrows.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

class TestReportControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inputOnlyClicks_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("enabled");
        const QString inputs[] = {QAccessibleActionInterface::pressAction(),
                                  QAccessibleActionInterface::toggleAction(),
                                  QStringLiteral("mouse"), QStringLiteral("space")};
        for (int role : {QAccessible::CheckBox, QAccessible::RadioButton}) {
            const char* kind = role == QAccessible::CheckBox ? "check box" : "radio button";
            for (const QString& input : inputs) {
                for (bool checked : {false, true})
                    QTest::addRow("%s, %s, %s", kind, qPrintable(input),
                                  checked ? "marked" : "clear")
                        << role << input << checked << true;
            }
            QTest::addRow("%s, toggle, disabled", kind)
                << role << QAccessibleActionInterface::toggleAction() << false << false;
        }
    }

    // Each way of operating a button clicks it once (not at all while
    // disabled) and leaves the mark as it was; setChecked() moves it.
    void inputOnlyClicks()
    {
        QFETCH(int, role);
        QFETCH(QString, input);
        QFETCH(bool, checked);
        QFETCH(bool, enabled);
        std::unique_ptr<QAbstractButton> button;
        if (role == QAccessible::CheckBox)
            button = std::make_unique<ReportCheckBox>(QStringLiteral("&Mute"));
        else
            button = std::make_unique<ReportRadioButton>(QStringLiteral("R&&B"));
        button->resize(120, 30);
        button->show();
        button->setChecked(checked);
        button->setEnabled(enabled);

        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button.get());
        QVERIFY(iface);
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name),
                 role == QAccessible::CheckBox ? QStringLiteral("Mute") : QStringLiteral("R&B"));
        QVERIFY(iface->state().checkable);
        QCOMPARE(bool(iface->state().checked), checked);

        QSignalSpy clicked(button.get(), &QAbstractButton::clicked);
        if (input == QLatin1String("mouse"))
            QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(10, 15));
        else if (input == QLatin1String("space"))
            QTest::keyClick(button.get(), Qt::Key_Space);
        else
            iface->actionInterface()->doAction(input);
        QCOMPARE(clicked.count(), enabled ? 1 : 0);
        QCOMPARE(button->isChecked(), checked);

        button->setChecked(!checked);
        QCOMPARE(bool(iface->state().checked), !checked);
    }

    // The arrows are named after the spin, also when it gets its name after
    // a screen reader first asked, and their press steps as a click does.
    void spinArrows_data()
    {
        QTest::addColumn<QString>("spinName");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        QTest::newRow("unnamed") << QString() << "Up"
                                 << "Down";
        QTest::newRow("named") << "Volume"
                               << "Volume up"
                               << "Volume down";
    }

    void spinArrows()
    {
        QFETCH(QString, spinName);
        SpinArrows spin;
        QAccessibleInterface* up = QAccessible::queryAccessibleInterface(spin.UpArrow());
        QAccessibleInterface* down = QAccessible::queryAccessibleInterface(spin.DownArrow());
        QVERIFY(up && down);
        QCOMPARE(up->text(QAccessible::Name), QStringLiteral("Up"));
        spin.setAccessibleName(spinName);
        QTEST(up->text(QAccessible::Name), "up");
        QTEST(down->text(QAccessible::Name), "down");

        QSignalSpy stepped(&spin, &SpinArrows::stepped);
        up->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        down->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(stepped, (QList<QVariantList>{{-1}, {1}}));
    }
};

QTEST_MAIN(TestReportControls)
#include "test_report_controls.moc"
