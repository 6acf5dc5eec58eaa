#include "model/settings_image.h"
#include "setup/c_level_page.h"
#include "setup/c_listening_mode_page.h"
#include "setup/c_speaker_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

template <typename T> T* Find(const QWidget* page, const QString& name)
{
    T* child = page->findChild<T*>(name);
    if (!child)
        qFatal("no control %s", qPrintable(name));
    return child;
}

QComboBox* List(const QWidget* page, const QString& name)
{
    return Find<QComboBox>(page, name);
}

// Picks an item as the user does: the list's activation follows.
void Choose(const QWidget* page, const QString& name, int index)
{
    QComboBox* list = List(page, name);
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

bool Shown(const QWidget* page, const QString& name)
{
    return Find<QWidget>(page, name)->isVisibleTo(page);
}

ModelFacts Facts(const QString& version, const QString& model = u"K230"_s)
{
    ModelFacts facts{model, version};
    facts.blockSize = facts.ImageOffset(SettingsField::FullLayoutEnd);
    return facts;
}

// The three pages in a sheet-like tab widget, the later two reading the
// Speaker page when they are shown.
struct Sheet
{
    QTabWidget tabs;
    CSpeakerPage* speaker = new CSpeakerPage;
    CLevelPage* level = new CLevelPage;
    CListeningModePage* listening = new CListeningModePage;
    SetupFlags flags;

    explicit Sheet(const QString& version)
    {
        tabs.addTab(speaker, CSpeakerPage::Title());
        tabs.addTab(level, CLevelPage::Title());
        tabs.addTab(listening, CListeningModePage::Title());
        level->SetSpeakerPage(speaker);
        listening->SetSpeakerPage(speaker);
        flags = SetupFlags::For(Facts(version), 0);
    }
    void Load(const SettingsImage& image)
    {
        speaker->Load(SpeakerFields::Load(image, flags), flags);
        level->Load(LevelFields::Load(image, flags), flags);
        listening->Load(ListeningModeFields::Load(image, flags), flags);
    }
    void Store(SettingsImage& image) const
    {
        speaker->Fields().Store(image, flags);
        level->Fields().Store(image, flags);
        listening->Fields().Store(image, flags);
    }
    void Show(QWidget* page)
    {
        tabs.setCurrentWidget(page);
        tabs.show();
        QCoreApplication::processEvents();
    }
};

int CentreX(const QWidget* page, const QString& name)
{
    const QWidget* child = Find<QWidget>(page, name);
    return child->mapTo(page, child->rect().center()).x();
}

} // namespace

class TestSpeakerLevelPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void speakerRules()
    {
        CSpeakerPage page;
        SpeakerFields fields;
        fields.subwooferSwitch = 0;
        page.Load(fields, SetupFlags::For(Facts(u"v2.05"_s), 0));
        QVERIFY(!page.IsModified());
        Choose(&page, u"frontSize"_s, SpeakerFields::Small);
        QCOMPARE(List(&page, u"frontSize"_s)->currentText(), u"Large"_s);
        QVERIFY(!List(&page, u"crossover"_s)->isEnabled());

        Choose(&page, u"subwooferSwitch"_s, 1);
        QVERIFY(List(&page, u"crossover"_s)->isEnabled());
        QVERIFY(Shown(&page, u"enhancedBass"_s));
        Choose(&page, u"frontSize"_s, SpeakerFields::Small);
        Choose(&page, u"centerSize"_s, 2);
        QCOMPARE(List(&page, u"centerSize"_s)->currentText(), u"Small"_s);
        QCOMPARE(List(&page, u"surroundSize"_s)->currentText(), u"Small"_s);
        QVERIFY(!Shown(&page, u"enhancedBass"_s));
        QCOMPARE(page.FrontSize(), SpeakerFields::Small);

        Choose(&page, u"surroundSize"_s, 0);
        for (const QString& name : {u"backSize"_s, u"backDistance"_s, u"backCount"_s})
            QVERIFY2(!List(&page, name)->isEnabled(), qPrintable(name));
        QCOMPARE(List(&page, u"backSize"_s)->currentText(), u"Off"_s);
        QVERIFY(!List(&page, u"surroundDistance"_s)->isEnabled());
        Choose(&page, u"surroundSize"_s, 1);
        QVERIFY(List(&page, u"backSize"_s)->isEnabled());
        QCOMPARE(List(&page, u"backSize"_s)->currentText(), u"Off"_s);
        QVERIFY(!List(&page, u"backDistance"_s)->isEnabled());
        QVERIFY(page.IsModified());
    }

    void distanceUnit()
    {
        CSpeakerPage page;
        SpeakerFields fields;
        fields.frontDistance = 9;
        page.Load(fields, SetupFlags::For(Facts(u"v2.05"_s), 0));
        QComboBox* front = List(&page, u"frontDistance"_s);
        QCOMPARE(front->currentText(), u"10 ft"_s);
        QCOMPARE(front->itemText(0), u" 1 ft"_s);
        Choose(&page, u"distanceUnit"_s, SpeakerFields::Meters);
        QCOMPARE(front->currentText(), u" 3.0 m"_s);
        QCOMPARE(front->itemText(0), u" 0.3 m"_s);
        QCOMPARE(front->itemText(32), u" 9.9 m"_s);
        QCOMPARE(front->itemText(39), u"12.0 m"_s);
        QCOMPARE(page.Fields().frontDistance, 9);
    }

    void subwooferForms_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("separate");
        QTest::addColumn<bool>("enhancedBass");
        QTest::newRow("v1.20 combined") << u"v1.20"_s << false << false;
        QTest::newRow("v1.26 separate") << u"v1.26"_s << true << false;
        QTest::newRow("v2.05 Enhanced Bass") << u"v2.05"_s << true << true;
    }
    void subwooferForms()
    {
        QFETCH(QString, version);
        QFETCH(bool, separate);
        QFETCH(bool, enhancedBass);
        CSpeakerPage page;
        SpeakerFields fields;
        fields.subwooferSwitch = 1;
        fields.enhancedBass = 1;
        page.Load(fields, SetupFlags::For(Facts(version), 0));
        QCOMPARE(Shown(&page, u"crossover"_s), separate);
        QCOMPARE(Shown(&page, u"subwooferCombined"_s), !separate);
        QCOMPARE(List(&page, u"subwooferSwitch"_s)->isEnabled(), separate);
        QCOMPARE(Shown(&page, u"enhancedBass"_s), enhancedBass);
        Choose(&page, u"frontSize"_s, SpeakerFields::Large);
        QCOMPARE(Shown(&page, u"enhancedBass"_s), enhancedBass);
    }

    // Availability on the Levels page follows the Speaker page each time it
    // is shown; a disabled list keeps its value.
    void levelAvailability()
    {
        Sheet sheet(u"v2.05"_s);
        SpeakerFields speaker;
        speaker.subwooferSwitch = 1;
        speaker.backCount = SpeakerFields::BackPair;
        LevelFields level;
        level.levels[LevelFields::Subwoofer] = 17;
        sheet.speaker->Load(speaker, sheet.flags);
        sheet.level->Load(level, sheet.flags);
        const QWidget* page = sheet.level;

        Choose(sheet.speaker, u"centerSize"_s, 0);
        sheet.Show(sheet.level);
        QVERIFY(!List(page, u"centerLevel"_s)->isEnabled());
        QVERIFY(List(page, u"surroundLeftLevel"_s)->isEnabled());
        QVERIFY(List(page, u"subwooferLevel"_s)->isEnabled());
        QVERIFY(Shown(page, u"backRightLevel"_s));
        QVERIFY(CentreX(page, u"backLeftLevel"_s) < CentreX(page, u"listenerPicture"_s));
        QVERIFY(CentreX(page, u"backRightLevel"_s) > CentreX(page, u"listenerPicture"_s));
        QVERIFY(!Find<QLabel>(page, u"listenerPicture"_s)->pixmap().isNull());

        sheet.Show(sheet.speaker);
        Choose(sheet.speaker, u"centerSize"_s, 1);
        Choose(sheet.speaker, u"backCount"_s, SpeakerFields::BackSingle);
        Choose(sheet.speaker, u"subwooferSwitch"_s, 0);
        Choose(sheet.speaker, u"backSize"_s, 0);
        sheet.Show(sheet.level);
        QVERIFY(List(page, u"centerLevel"_s)->isEnabled());
        QVERIFY(!List(page, u"subwooferLevel"_s)->isEnabled());
        QVERIFY(!List(page, u"backLeftLevel"_s)->isEnabled());
        QVERIFY(!Shown(page, u"backRightLevel"_s));
        QVERIFY(Shown(page, u"backLeftLevel"_s));
        // The single back speaker stands in the middle behind the listener.
        QVERIFY(qAbs(CentreX(page, u"backLeftLevel"_s) - CentreX(page, u"centerLevel"_s)) <= 1);
        QCOMPARE(sheet.level->Fields().levels[LevelFields::Subwoofer], 17);
    }

    void listeningChannels()
    {
        Sheet sheet(u"v2.05"_s);
        SettingsImage image;
        image.Reset(Facts(u"v2.05"_s));
        sheet.Load(image);
        Choose(sheet.speaker, u"centerSize"_s, 0);
        Choose(sheet.speaker, u"surroundSize"_s, 0);
        sheet.Show(sheet.listening);
        const QWidget* page = sheet.listening;
        for (const QString& group : {u"enhancedStereo1"_s, u"enhancedStereo2"_s}) {
            QVERIFY(List(page, group + u"Front"_s)->isEnabled());
            QVERIFY(!List(page, group + u"Center"_s)->isEnabled());
            QVERIFY(!List(page, group + u"Surround"_s)->isEnabled());
            QVERIFY(!List(page, group + u"Back"_s)->isEnabled());
        }
        Choose(page, u"enhancedStereo1Front"_s, 1);
        sheet.Show(sheet.speaker);
        Choose(sheet.speaker, u"centerSize"_s, 1);
        sheet.Show(sheet.listening);
        QVERIFY(List(page, u"enhancedStereo2Center"_s)->isEnabled());
        QVERIFY(!List(page, u"enhancedStereo2Surround"_s)->isEnabled());
        QCOMPARE(sheet.listening->Fields().enhancedStereo1,
                 (ListeningModeFields::Channels{1, 0, 0, 0}));
    }

    void listeningGroups_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("neo6");
        QTest::addColumn<bool>("es");
        QTest::newRow("v1.20") << u"v1.20"_s << false << false;
        QTest::newRow("v1.23") << u"v1.23"_s << true << false;
        QTest::newRow("v2.00") << u"v2.00"_s << true << true;
    }
    void listeningGroups()
    {
        QFETCH(QString, version);
        QFETCH(bool, neo6);
        QFETCH(bool, es);
        CListeningModePage page;
        SettingsImage image;
        image.Reset(Facts(version));
        const SetupFlags flags = SetupFlags::For(image.Facts(), 0);
        page.Load(ListeningModeFields::Load(image, flags), flags);
        QVERIFY(Shown(&page, u"proLogicGroup"_s));
        QCOMPARE(Shown(&page, u"neo6Group"_s), neo6);
        QCOMPARE(Shown(&page, u"enhancedStereo1Group"_s), es);
        QCOMPARE(Shown(&page, u"enhancedStereo2Group"_s), es);
        QCOMPARE(page.Fields().centerGain, neo6 ? 0 : -1);
    }

    // Codes the lists do not know show no selection and come back unchanged
    // when their control is not touched; a touched control changes its byte
    // only.
    void untouchedCodesRoundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("canonical");
        QTest::newRow("K230 v2.05") << u"K230"_s << u"v2.05"_s << u"frontDistance"_s << 54;
        QTest::newRow("K220 v2.05") << u"K220"_s << u"v2.05"_s << u"centerLevel"_s << 47;
        QTest::newRow("K110 v1.26") << u"K110"_s << u"v1.26"_s << u"centerWidth"_s << 34;
        QTest::newRow("K240 v1.20") << u"K240"_s << u"v1.20"_s << u"subwooferCombined"_s << 45;
    }
    void untouchedCodesRoundTrip()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(QString, control);
        QFETCH(int, canonical);
        Sheet sheet(version);
        sheet.flags = SetupFlags::For(Facts(version, model), 0);
        SettingsImage image;
        image.Reset(Facts(version, model));
        for (int i = 0; i < image.Size(); ++i)
            image.SetByteAt(i, 0xEE);
        sheet.Load(image);
        sheet.Show(sheet.listening);
        sheet.Show(sheet.level);
        QCOMPARE(List(sheet.speaker, u"frontSize"_s)->currentIndex(), -1);
        QCOMPARE(List(sheet.level, u"bass"_s)->currentIndex(), -1);

        SettingsImage stored = image;
        sheet.Store(stored);
        QCOMPARE(stored.BlockBytes().toHex(' '), image.BlockBytes().toHex(' '));

        for (const QWidget* page :
             std::initializer_list<const QWidget*>{sheet.speaker, sheet.level, sheet.listening}) {
            if (page->findChild<QComboBox*>(control))
                Choose(page, control, 3);
        }
        stored = image;
        sheet.Store(stored);
        QByteArray expected = image.BlockBytes();
        expected[image.Position(canonical)] = 3;
        QCOMPARE(stored.BlockBytes().toHex(' '), expected.toHex(' '));
    }

    void levelTexts()
    {
        CLevelPage page;
        LevelFields fields;
        fields.levels[LevelFields::FrontLeft] = 0;
        fields.levels[LevelFields::FrontRight] = 24;
        fields.bass = 5;
        fields.treble = 10;
        page.Load(fields, {});
        QCOMPARE(List(&page, u"frontLeftLevel"_s)->currentText(), u"-12 dB"_s);
        QCOMPARE(List(&page, u"frontRightLevel"_s)->currentText(), u"+12 dB"_s);
        QCOMPARE(List(&page, u"centerLevel"_s)->currentText(), u"0 dB"_s);
        QCOMPARE(List(&page, u"bass"_s)->currentText(), u" 0 dB"_s);
        QCOMPARE(List(&page, u"treble"_s)->currentText(), u"+10 dB"_s);
        QCOMPARE(List(&page, u"treble"_s)->accessibleName(), u"Treble"_s);
    }
};

QTEST_MAIN(TestSpeakerLevelPages)
#include "test_speaker_level_pages.moc"
