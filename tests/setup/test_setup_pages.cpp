#include "desktop/options_dlg.h"
#include "desktop/volume_popup_dlg.h"
#include "model/settings_image.h"
#include "setup/c_advanced_page.h"
#include "setup/c_input_page.h"
#include "setup/c_level_page.h"
#include "setup/c_listening_mode_page.h"
#include "setup/c_speaker_page.h"
#include "setup/c_surrmode_page.h"
#include "setup/rename_input_dlg.h"
#include "setup/setup_fields.h"
#include "setup/setup_sheet.h"
#include "tuner/new_tuner_preset_dlg.h"
#include "tuner/tuner_presets_dlg.h"
#include "unit/unit_session.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The pages of the setup sheet and the rename dialog as the user works them:
// what each model and firmware shows, the rules between the lists, codes no
// list knows, which come back untouched, and what a screen reader hears.
namespace {

struct Unit
{
    SettingsImage image;
    SetupFlags flags;
};

Unit MakeUnit(const QString& model, const QString& version, int preset = 0)
{
    ModelFacts facts{model, version};
    facts.blockSize = facts.ImageOffset(SettingsField::FullLayoutEnd);
    Unit unit;
    unit.image.Reset(facts);
    unit.flags = SetupFlags::For(facts, preset);
    return unit;
}

template <typename T = QComboBox> T* Find(const QWidget* page, const QString& name)
{
    T* child = page->findChild<T*>(name);
    if (!child)
        qFatal("no control %s", qPrintable(name));
    return child;
}

// Picks an item as the user does: the list's activation follows.
void Choose(const QWidget* page, const QString& name, int index)
{
    QComboBox* list = Find(page, name);
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

bool Shown(const QWidget* page, const QString& name)
{
    return Find<QWidget>(page, name)->isVisibleTo(page);
}

QString Text(const QWidget* page, const QString& name)
{
    return Find(page, name)->currentText();
}

int CentreX(const QWidget* page, const QString& name)
{
    const QWidget* child = Find<QWidget>(page, name);
    return child->mapTo(page, child->rect().center()).x();
}

// The sheet on `fields`, shown on the page of type T (the Levels and
// Listening Modes pages read the Speaker page each time they are shown).
template <typename T> T* ShowPage(SetupSheet& sheet)
{
    T* page = sheet.findChild<T*>();
    sheet.Tabs()->setCurrentWidget(page);
    sheet.show();
    QCoreApplication::processEvents();
    return page;
}

// What a screen reader hears of each control: its place must be heard (a
// list's name on Linux is its current value, so a list's place comes from
// its description or a label that names it), and no two controls of one
// page may read the same.
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

class TestSetupPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void speakerRules()
    {
        CSpeakerPage page;
        SpeakerFields fields;
        fields.subwooferSwitch = 0;
        fields.frontDistance = 9;
        page.Load(fields, MakeUnit(u"K230"_s, u"v2.05"_s).flags);
        QVERIFY(!page.IsModified());
        Choose(&page, u"frontSize"_s, SpeakerFields::Small);
        QCOMPARE(Text(&page, u"frontSize"_s), u"Large"_s);
        QVERIFY(!Find(&page, u"crossover"_s)->isEnabled());

        Choose(&page, u"subwooferSwitch"_s, 1);
        QVERIFY(Find(&page, u"crossover"_s)->isEnabled());
        QVERIFY(Shown(&page, u"enhancedBass"_s));
        Choose(&page, u"frontSize"_s, SpeakerFields::Small);
        Choose(&page, u"centerSize"_s, 2);
        QCOMPARE(Text(&page, u"centerSize"_s), u"Small"_s);
        QCOMPARE(Text(&page, u"surroundSize"_s), u"Small"_s);
        QVERIFY(!Shown(&page, u"enhancedBass"_s));
        QCOMPARE(page.FrontSize(), SpeakerFields::Small);

        Choose(&page, u"surroundSize"_s, 0);
        for (const QString& name : {u"backSize"_s, u"backDistance"_s, u"backCount"_s})
            QVERIFY2(!Find(&page, name)->isEnabled(), qPrintable(name));
        QCOMPARE(Text(&page, u"backSize"_s), u"Off"_s);
        QVERIFY(!Find(&page, u"surroundDistance"_s)->isEnabled());
        Choose(&page, u"surroundSize"_s, 1);
        QVERIFY(Find(&page, u"backSize"_s)->isEnabled());
        QCOMPARE(Text(&page, u"backSize"_s), u"Off"_s);
        QVERIFY(!Find(&page, u"backDistance"_s)->isEnabled());
        QVERIFY(page.IsModified());
        // Metres relabel the distance lists and keep the field.
        QCOMPARE(Text(&page, u"frontDistance"_s), u"10 ft"_s);
        Choose(&page, u"distanceUnit"_s, SpeakerFields::Meters);
        QCOMPARE(Text(&page, u"frontDistance"_s), u" 3.0 m"_s);
        QCOMPARE(page.Fields().frontDistance, 9);
    }

    // What each model and firmware shows: the subwoofer's forms (the combined
    // list where the crossover is not), the listening modes' groups, the
    // Input page's columns and the Advanced page's controls.
    void pageShapes_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("preset");
        // crossover, Enhanced Bass, NEO:6, Enhanced Stereo; analog gain, trigger
        // lists, trigger sources, formats; zone volume, relay, OSD box, preset
        // name, DTS dynamic range, temporary OSD
        QTest::addColumn<QString>("shown");
        for (const char* row :
             {"K230 v1.16 3 0000 1010 0011 00", "K230 v1.23 3 1010 1010 0011 01",
              "K110V v1.20 0 0000 1011 0000 01", "K230 v1.26 0 1010 1010 0010 11",
              "K230 v2.00 0 1111 1100 1110 11", "K220 v2.05 0 1111 0000 1110 11",
              "K230V v2.05 0 1111 1101 1100 11", "K240V v2.05 1 1111 1101 1101 11"}) {
            const QStringList words = QString::fromLatin1(row).split(u' ');
            QTest::newRow(row) << words[0] << words[1] << words[2].toInt()
                               << words.mid(3).join(QString());
        }
    }
    void pageShapes()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, preset);
        const Unit unit = MakeUnit(model, version, preset);
        const SetupFields loaded = SetupFields::Load(unit.image, unit.flags);
        CSpeakerPage speaker;
        SpeakerFields fields;
        fields.subwooferSwitch = 1;
        fields.enhancedBass = 1;
        speaker.Load(fields, unit.flags);
        Choose(&speaker, u"frontSize"_s, SpeakerFields::Large);
        CListeningModePage listening;
        listening.Load(loaded.listening, unit.flags);
        InputFields inputs = loaded.input;
        inputs.rows[0].video = 1; // DVD
        inputs.rows[0].videoFormat = 2;
        CInputPage input;
        input.Load(inputs, unit.flags);
        CAdvancedPage advanced;
        advanced.Load(loaded.advanced, unit.flags);
        QComboBox* format = Find(&input, u"videoFormat0"_s);
        const bool crossover = Shown(&speaker, u"crossover"_s);
        QString shown;
        for (const bool bit :
             {crossover, Shown(&speaker, u"enhancedBass"_s), Shown(&listening, u"neo6Group"_s),
              Shown(&listening, u"enhancedStereo1Group"_s), Shown(&input, u"analogGain3"_s),
              Shown(&input, u"trigger1List5"_s), Shown(&input, u"triggerSources"_s),
              format->count() > 0, Shown(&advanced, u"volumeControl"_s),
              Shown(&advanced, u"relay"_s), Shown(&advanced, u"osdBox"_s),
              Shown(&advanced, u"presetName"_s), Find(&advanced, u"dtsDynamicRange"_s)->isEnabled(),
              Find(&advanced, u"temporaryOsd"_s)->isEnabled()})
            shown += bit ? u'1' : u'0';
        QTEST(shown, "shown");
        QCOMPARE(Shown(&speaker, u"subwooferCombined"_s), !crossover);
        QCOMPARE(Find(&speaker, u"subwooferSwitch"_s)->isEnabled(), crossover);
        QCOMPARE(Shown(&listening, u"enhancedStereo2Group"_s),
                 Shown(&listening, u"enhancedStereo1Group"_s));
        QCOMPARE(listening.Fields().centerGain, Shown(&listening, u"neo6Group"_s) ? 0 : -1);
        QCOMPARE(Shown(&input, u"analogGainHeading"_s), Shown(&input, u"analogGain3"_s));
        QCOMPARE(Shown(&input, u"trigger2Check5"_s), !Shown(&input, u"trigger1List5"_s));
        QCOMPARE(format->isEnabled(), format->count() > 0);
        // The TUNER row keeps its connectors, and never has a format.
        for (const char* name :
             {"name9", "video9", "videoFormat9", "analogAudio9", "digitalAudio9"})
            QVERIFY(!Find<QWidget>(&input, QString::fromLatin1(name))->isEnabled());
        QCOMPARE(Find(&input, u"analogAudio9"_s)->count(), 11);
        QCOMPARE(Find(&input, u"analogAudio8"_s)->count(), 10);
    }

    // Availability on the Levels and Listening Modes pages follows the
    // Speaker page each time they are shown; a disabled list keeps its value.
    void availabilityFollowsSpeakers()
    {
        const Unit unit = MakeUnit(u"K230"_s, u"v2.05"_s);
        SetupFields fields;
        fields.listening = ListeningModeFields::Load(unit.image, unit.flags);
        fields.speaker.subwooferSwitch = 1;
        fields.speaker.backCount = SpeakerFields::BackPair;
        fields.level.levels[LevelFields::Subwoofer] = 17;
        SetupSheet sheet(fields, unit.flags);
        const CSpeakerPage* speaker = sheet.findChild<CSpeakerPage*>();
        Choose(speaker, u"centerSize"_s, 0);
        const CLevelPage* page = ShowPage<CLevelPage>(sheet);
        QVERIFY(!Find(page, u"centerLevel"_s)->isEnabled());
        QVERIFY(Find(page, u"surroundLeftLevel"_s)->isEnabled());
        QVERIFY(Find(page, u"subwooferLevel"_s)->isEnabled());
        QVERIFY(Shown(page, u"backRightLevel"_s));
        QVERIFY(CentreX(page, u"backLeftLevel"_s) < CentreX(page, u"listenerPicture"_s));
        QVERIFY(CentreX(page, u"backRightLevel"_s) > CentreX(page, u"listenerPicture"_s));
        QVERIFY(!Find<QLabel>(page, u"listenerPicture"_s)->pixmap().isNull());
        const CListeningModePage* listening = ShowPage<CListeningModePage>(sheet);
        QVERIFY(Find(listening, u"enhancedStereo1Front"_s)->isEnabled());
        QVERIFY(!Find(listening, u"enhancedStereo2Center"_s)->isEnabled());
        Choose(listening, u"enhancedStereo1Front"_s, 1);

        ShowPage<CSpeakerPage>(sheet);
        Choose(speaker, u"centerSize"_s, 1);
        Choose(speaker, u"backCount"_s, SpeakerFields::BackSingle);
        Choose(speaker, u"subwooferSwitch"_s, 0);
        Choose(speaker, u"backSize"_s, 0);
        ShowPage<CLevelPage>(sheet);
        QVERIFY(Find(page, u"centerLevel"_s)->isEnabled());
        QVERIFY(!Find(page, u"subwooferLevel"_s)->isEnabled());
        QVERIFY(!Find(page, u"backLeftLevel"_s)->isEnabled());
        QVERIFY(!Shown(page, u"backRightLevel"_s));
        QVERIFY(Shown(page, u"backLeftLevel"_s));
        // The single back speaker stands in the middle behind the listener.
        QVERIFY(qAbs(CentreX(page, u"backLeftLevel"_s) - CentreX(page, u"centerLevel"_s)) <= 1);
        QCOMPARE(page->Fields().levels[LevelFields::Subwoofer], 17);
        ShowPage<CListeningModePage>(sheet);
        QVERIFY(Find(listening, u"enhancedStereo2Center"_s)->isEnabled());
        QCOMPARE(listening->Fields().enhancedStereo1, (ListeningModeFields::Channels{1, 0, 0, 0}));
    }

    // Codes the lists do not know show no selection and come back unchanged
    // through every page of the sheet when untouched; a touched control
    // changes its byte only.
    void untouchedCodesRoundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("canonical");
        QTest::newRow("K230 v2.05") << u"K230"_s << u"v2.05"_s << 0 << u"frontDistance"_s << 54;
        QTest::newRow("K110 v1.26 preset")
            << u"K110"_s << u"v1.26"_s << 1 << u"centerWidth"_s << 34;
        QTest::newRow("K220 v1.23 preset") << u"K220"_s << u"v1.23"_s << 1 << u"bass"_s << 61;
        QTest::newRow("K230V v1.26") << u"K230V"_s << u"v1.26"_s << 0 << u"centerLevel"_s << 47;
    }
    void untouchedCodesRoundTrip()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, preset);
        QFETCH(QString, control);
        QFETCH(int, canonical);
        Unit unit = MakeUnit(model, version, preset);
        for (int i = 0; i < unit.image.Size(); ++i)
            unit.image.SetByteAt(i, 0xEE);
        // Background and temporary OSD: the byte is rebuilt whole.
        unit.image.SetByte(SettingsField::OnScreenDisplay, 0x03);
        for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
            unit.image.SetTableByte(i, 0xF1);
        if (!InputFields::TriggerLists(unit.flags)) // flags rebuild bits 6-7
            for (int i = 0; i < InputFields::InputCount; ++i)
                unit.image.SetInput(i, {-1, 1, 1, -1, -1, -1, -1});
        const QByteArray before = unit.image.BlockAndTableBytes();

        for (bool touch : {false, true}) {
            SetupFields fields = SetupFields::Load(unit.image, unit.flags);
            SetupSheet sheet(fields, unit.flags);
            SetupSheet::SetNextAnswer([&](SetupSheet& shown) {
                shown.show();
                for (int page = shown.Tabs()->count() - 1; page >= 0; --page) {
                    shown.Tabs()->setCurrentIndex(page);
                    QCoreApplication::processEvents();
                }
                const bool unknown = Find(&shown, control)->currentIndex() == -1;
                if (touch)
                    Choose(&shown, control, 3);
                return unknown; // else the list shows a code it does not know
            });
            QVERIFY(sheet.Run(fields));
            SettingsImage stored = unit.image;
            fields.Store(stored, unit.flags);
            QByteArray expected = before;
            if (touch)
                expected[unit.image.Position(canonical)] = 3;
            QCOMPARE(stored.BlockAndTableBytes().toHex(' '), expected.toHex(' '));
        }
    }

    // Another source refills the format list: VIDEO 4 has no COMPONENT, and
    // OFF disables the list but keeps its selection.
    void formatFollowsVideo()
    {
        Unit unit = MakeUnit(u"K240V"_s, u"v2.05"_s);
        InputFields fields = InputFields::Load(unit.image, unit.flags);
        fields.rows[0].video = 1;
        fields.rows[0].videoFormat = 2;
        CInputPage page;
        page.Load(fields, unit.flags);
        QComboBox* format = Find(&page, u"videoFormat0"_s);
        Choose(&page, u"video0"_s, 4);
        QCOMPARE(format->count(), 2);
        QCOMPARE(page.Fields().rows[0].videoFormat, 0);
        Choose(&page, u"videoFormat0"_s, 1);
        Choose(&page, u"video0"_s, 0);
        QVERIFY(!format->isEnabled());
        QCOMPARE(format->count(), 2);
        QCOMPARE(page.Fields().rows[0].videoFormat, 1);
    }

    void surroundLists_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("stereoCode"); // loaded
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("pick");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("othersItems");
        QTest::newRow("no PLIIx: NEO:6 Cinema is 5")
            << u"K240"_s << u"v1.26"_s << 1 << 8 << u"EARS"_s << u"DTS NEO:6 Cinema"_s << 5 << 2;
        QTest::newRow("PLIIx: IIx Movie is 6")
            << u"K240"_s << u"v2.05"_s << 0 << 8 << u"DTS NEO:6 Cinema"_s
            << u"Pro Logic IIx - Movie"_s << 6 << 2;
        QTest::newRow("PLIIx: TUNER ES 2 is 13") << u"K230"_s << u"v2.00"_s << 9 << 0 << u"Direct"_s
                                                 << u"Enhanced Stereo 2"_s << 13 << 2;
        QTest::newRow("K220: Enhanced Stereo for Dolby others")
            << u"K220"_s << u"v1.26"_s << 9 << 2 << u"Pro Logic"_s << u"Pro Logic II: Movie"_s << 3
            << 4;
    }
    void surroundLists()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, input);
        QFETCH(int, stereoCode);
        QFETCH(QString, pick);
        Unit unit = MakeUnit(model, version, 2);
        unit.image.SetSurround(input, {stereoCode, 0, 0, 0});
        SurroundModeFields fields = SurroundModeFields::Load(unit.image, unit.flags);
        fields.names[input] = u"SAT"_s;
        CSurrmodePage page;
        page.Load(fields, unit.flags);
        const QString n = QString::number(input);
        QComboBox* stereo = Find(&page, u"stereo"_s + n);
        QTEST(stereo->currentText(), "shown");
        QTEST(Find(&page, u"dolbyOthers"_s + n)->count(), "othersItems");
        QCOMPARE(Find<QLabel>(&page, u"inputLabel"_s + n)->text(),
                 input == SurroundModeFields::TunerInput ? u"TUNER"_s : u"SAT"_s);
        // Every row offers the same items, so each index means one code.
        const bool plIIx = unit.flags.PlIIx();
        QCOMPARE(stereo->count(), SurroundModeFields::StereoItems(plIIx));
        QCOMPARE(Find(&page, u"dolbyTwoChannel"_s + n)->count(),
                 SurroundModeFields::DolbyTwoChannelItems(plIIx));
        QVERIFY(Find(&page, u"dts8"_s)->isHidden());

        Choose(&page, u"stereo"_s + n, stereo->findText(pick));
        page.Fields().Store(unit.image, unit.flags);
        QTEST(unit.image.Surround(input).stereo, "stored");
    }

    // Typed names are upper case and at most 13 characters: the input and
    // preset names on the pages, and the running rename dialog, saved with
    // Enter (Save is its default button).
    void typedNames()
    {
        Unit unit = MakeUnit(u"K240"_s, u"v2.05"_s, 1);
        CInputPage input;
        InputFields fields;
        fields.names[4] = u"VIDEO 5"_s;
        input.Load(fields, unit.flags);
        auto* name = Find<QLineEdit>(&input, u"name4"_s);
        QCOMPARE(name->accessibleName(), u"VIDEO 5 name"_s);
        name->selectAll();
        QTest::keyClicks(name, u"laser disc player"_s);
        CAdvancedPage advanced;
        advanced.Load(AdvancedFields::Load(unit.image, unit.flags), unit.flags);
        QTest::keyClicks(Find<QLineEdit>(&advanced, u"presetName"_s), u"movie night!!"_s);
        QCOMPARE(input.Fields().names[4], u"LASER DISC PL"_s);
        QCOMPARE(input.Fields().names[3], QString());
        QCOMPARE(advanced.Fields().presetName, u"MOVIE NIGHT!!"_s);

        RenameInputDlg dialog;
        dialog.SetNames(u"DVD"_s, u"DVD"_s);
        auto* edit = Find<QLineEdit>(&dialog, u"newName"_s);
        QString shown;
        QTimer::singleShot(0, &dialog, [&] {
            QVERIFY(dialog.isVisible());
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, u"abcdefghijklmnopqrst"_s);
            shown = edit->text();
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QVERIFY(dialog.Run());
        QCOMPARE(shown, u"ABCDEFGHIJKLM"_s);
        QCOMPARE(dialog.NewName(), u"ABCDEFGHIJKLM"_s);
    }

    void sheetPages_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<int>("preset");
        QTest::newRow("K230 current setup") << u"K230"_s << u"v2.05"_s << 0;
        QTest::newRow("K110 A/V preset") << u"K110"_s << u"v2.05"_s << 1;
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

QTEST_MAIN(TestSetupPages)
#include "test_setup_pages.moc"
