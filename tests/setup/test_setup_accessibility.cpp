#include "desktop/options_dlg.h"
#include "desktop/volume_popup_dlg.h"
#include "model/settings_image.h"
#include "setup/rename_input_dlg.h"
#include "setup/setup_sheet.h"
#include "tuner/new_tuner_preset_dlg.h"
#include "tuner/tuner_presets_dlg.h"
#include "unit/unit_session.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

// What a screen reader hears of each control: its place must be heard (a
// list's name on Linux is its current value, so a list's place comes from
// its description or a label that names it), and no two controls of one
// page may read the same.
namespace {

bool IsControl(const QWidget* widget)
{
    return qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget);
}

// The place a screen reader gives the control, empty when none.
QString Place(QWidget* control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    if (!accessible)
        return {};
    QStringList heard;
    const auto labels = accessible->relations(QAccessible::Label);
    for (const auto& [label, relation] : labels)
        heard << label->text(QAccessible::Name);
    heard << accessible->text(QAccessible::Description);
    // A list's name is its value on Linux; a line edit's name is its label.
    if (!qobject_cast<QComboBox*>(control) ||
        accessible->text(QAccessible::Name) != qobject_cast<QComboBox*>(control)->currentText())
        heard << accessible->text(QAccessible::Name);
    heard.removeAll(QString());
    return heard.join(u" / "_s);
}

// Each shown control of `root` without a place, or with another's.
QStringList Unheard(QWidget* root)
{
    QStringList problems;
    QHash<QString, QString> placed;
    // The sheet's pages include the one (not shown) that each tab holds.
    const QList<QWidget*> widgets = root->findChildren<QWidget*>();
    for (QWidget* control : widgets) {
        // The line edit inside a spin box or an editable list is theirs.
        if (!IsControl(control) || !control->isVisibleTo(root) ||
            control->parent()->inherits("QAbstractSpinBox") ||
            control->parent()->inherits("QComboBox") || control->inherits("QTabBar") ||
            control->parent()->inherits("QTabBar") || control->inherits("QDialogButtonBox"))
            continue;
        const QString place = Place(control);
        const QString name = control->objectName().isEmpty()
                                 ? QString::fromLatin1(control->metaObject()->className())
                                 : control->objectName();
        if (place.isEmpty())
            problems << u"%1: no place"_s.arg(name);
        else if (placed.contains(place))
            problems << u"%1 and %2 both read \"%3\""_s.arg(placed.value(place), name, place);
        else
            placed.insert(place, name);
    }
    return problems;
}

} // namespace

class TestSetupAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sheetPages_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<int>("preset");
        for (const char* model : {"K230", "K220", "K110"}) {
            for (int preset : {0, 1})
                QTest::addRow("%s %s", model, preset ? "A/V preset" : "current setup")
                    << QString::fromLatin1(model) << u"v2.05"_s << preset;
        }
        QTest::newRow("K220 v1.16 current setup") << u"K220"_s << u"v1.16"_s << 0;
    }
    void sheetPages()
    {
        QFETCH(QString, model);
        QFETCH(QString, firmware);
        QFETCH(int, preset);
        ModelFacts facts{model, firmware};
        facts.blockSize = facts.ImageOffset(ModelFacts::FullLayoutSize);
        SettingsImage image;
        image.Reset(facts);
        const SetupFlags flags = SetupFlags::For(facts, preset);
        SetupSheet sheet(SetupFields::Load(image, flags), flags);
        sheet.show();
        QTabWidget* tabs = sheet.Tabs();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            const QStringList problems = Unheard(tabs->widget(i));
            QVERIFY2(problems.isEmpty(),
                     qPrintable(tabs->tabText(i) + u": "_s + problems.join(u"; "_s)));
        }
    }

    void dialogs()
    {
        RenameInputDlg rename;
        TunerPresetList presets;
        presets.AddFm(1, 8750, 0, u"JAZZ"_s);
        TunerPresetsDlg tuner(presets);
        NewTunerPresetDlg fm(NewTunerPresetDlg::Band::Fm, 10, QList<bool>(30, false));
        NewTunerPresetDlg am(NewTunerPresetDlg::Band::Am, 9, QList<bool>(10, false));
        OptionsDlg options;
        UnitSession session;
        VolumePopupDlg popup(session, nullptr);
        for (QWidget* dialog :
             std::initializer_list<QWidget*>{&rename, &tuner, &fm, &am, &options, &popup}) {
            dialog->show();
            const QStringList problems = Unheard(dialog);
            QVERIFY2(problems.isEmpty(),
                     qPrintable(dialog->objectName() + u": "_s + problems.join(u"; "_s)));
            dialog->hide();
        }
    }
};

QTEST_MAIN(TestSetupAccessibility)
#include "test_setup_accessibility.moc"
