#include "model/settings_image.h"
#include "setup/c_advanced_page.h"
#include "setup/c_input_page.h"
#include "setup/c_surrmode_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

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

template <typename T> T* Find(const QWidget& page, const QString& name)
{
    T* child = page.findChild<T*>(name);
    if (!child)
        qFatal("no control %s", qPrintable(name));
    return child;
}

QStringList Items(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

// What the user does: pick an item, which the list reports as activated.
void Choose(QComboBox* list, int index)
{
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

} // namespace

class TestInputAdvancedPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void titles()
    {
        QCOMPARE(CInputPage::Title(), u"Input Settings"_s);
        QCOMPARE(CAdvancedPage::Title(), u"Advanced"_s);
        QCOMPARE(CSurrmodePage::Title(), u"Surround Modes"_s);
    }

    void inputColumns_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("gain");
        QTest::addColumn<bool>("triggerLists");
        QTest::addColumn<bool>("sources");
        QTest::addColumn<int>("formats"); // items of row 0's format list (video DVD)
        QTest::newRow("K220 v2.05") << u"K220"_s << u"v2.05"_s << false << false << false << 0;
        QTest::newRow("K230 v1.26") << u"K230"_s << u"v1.26"_s << true << false << true << 0;
        QTest::newRow("K110V v1.20") << u"K110V"_s << u"v1.20"_s << true << false << true << 3;
        QTest::newRow("K240V v2.05") << u"K240V"_s << u"v2.05"_s << true << true << false << 3;
    }
    void inputColumns()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(bool, gain);
        QFETCH(bool, triggerLists);
        QFETCH(int, formats);
        Unit unit = MakeUnit(model, version);
        InputFields fields = InputFields::Load(unit.image, unit.flags);
        fields.rows[0].video = 1;
        CInputPage page;
        page.Load(fields, unit.flags);
        QCOMPARE(!Find<QLabel>(page, u"analogGainHeading"_s)->isHidden(), gain);
        QCOMPARE(!Find<QComboBox>(page, u"analogGain3"_s)->isHidden(), gain);
        QCOMPARE(!Find<QComboBox>(page, u"trigger1List5"_s)->isHidden(), triggerLists);
        QCOMPARE(!Find<QCheckBox>(page, u"trigger2Check5"_s)->isHidden(), !triggerLists);
        QTEST(!Find<QWidget>(page, u"triggerSources"_s)->isHidden(), "sources");
        const auto* format = Find<QComboBox>(page, u"videoFormat0"_s);
        QCOMPARE(format->count(), formats);
        QCOMPARE(format->isEnabled(), formats > 0);
        // The TUNER row keeps its connectors, and never has a format.
        for (const char* name :
             {"name9", "video9", "videoFormat9", "analogAudio9", "digitalAudio9"})
            QVERIFY(!Find<QWidget>(page, QString::fromLatin1(name))->isEnabled());
        QCOMPARE(Find<QComboBox>(page, u"analogAudio9"_s)->count(), 11);
        QCOMPARE(Find<QComboBox>(page, u"analogAudio8"_s)->count(), 10);
    }

    // Rows of a K230V: each case starts from a video source and a format
    // and picks another source.
    void formatRefill_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("video");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("stored"); // the record's format after the change
        const QStringList three = {u"COMPOSITE"_s, u"S-VIDEO"_s, u"COMPONENT"_s};
        const QStringList two = three.mid(0, 2);
        QTest::newRow("DVD to VIDEO 4 drops COMPONENT") << 0 << 1 << 2 << 4 << two << true << 0;
        QTest::newRow("OFF disables, keeps the selection")
            << 1 << 2 << 2 << 0 << three << false << 2;
    }
    void formatRefill()
    {
        QFETCH(int, input);
        QFETCH(int, video);
        QFETCH(int, format);
        QFETCH(int, chosen);
        Unit unit = MakeUnit(u"K230V"_s, u"v2.05"_s);
        InputFields fields = InputFields::Load(unit.image, unit.flags);
        fields.rows[static_cast<std::size_t>(input)].video = video;
        fields.rows[static_cast<std::size_t>(input)].videoFormat = format;
        CInputPage page;
        page.Load(fields, unit.flags);
        const QString n = QString::number(input);
        auto* list = Find<QComboBox>(page, u"videoFormat"_s + n);
        QCOMPARE(list->isEnabled(), video != 0);
        Choose(Find<QComboBox>(page, u"video"_s + n), chosen);
        QTEST(Items(list), "items");
        QTEST(list->isEnabled(), "enabled");
        QTEST(page.Fields().rows[static_cast<std::size_t>(input)].videoFormat, "stored");
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
        auto* stereo = Find<QComboBox>(page, u"stereo"_s + n);
        QTEST(stereo->currentText(), "shown");
        QTEST(Find<QComboBox>(page, u"dolbyOthers"_s + n)->count(), "othersItems");
        QCOMPARE(Find<QLabel>(page, u"inputLabel"_s + n)->text(),
                 input == SurroundModeFields::TunerInput ? u"TUNER"_s : u"SAT"_s);
        // Every row offers the same items, so each index means one code.
        const bool plIIx = unit.flags.PlIIx();
        QCOMPARE(stereo->count(), SurroundModeFields::StereoItems(plIIx));
        QCOMPARE(Find<QComboBox>(page, u"dolbyTwoChannel"_s + n)->count(),
                 SurroundModeFields::DolbyTwoChannelItems(plIIx));
        QVERIFY(Find<QComboBox>(page, u"dts8"_s)->isHidden());

        Choose(stereo, stereo->findText(pick));
        page.Fields().Store(unit.image, unit.flags);
        QTEST(unit.image.Surround(input).stereo, "stored");
    }

    // Codes the lists cannot show load as no selection and, untouched, come
    // back unchanged through every page.
    void untouchedRoundTrip_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::newRow("K220 v1.23") << u"K220"_s << u"v1.23"_s;
        QTest::newRow("K230V v1.26") << u"K230V"_s << u"v1.26"_s;
        QTest::newRow("K240V v2.05") << u"K240V"_s << u"v2.05"_s;
    }
    void untouchedRoundTrip()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        Unit unit = MakeUnit(model, version, 1);
        for (int i = 0; i < unit.image.Size(); ++i)
            unit.image.SetByteAt(i, 0xFF);
        // Background and, from v1.20, temporary OSD: the byte is rebuilt whole.
        unit.image.SetByte(SettingsField::OnScreenDisplay, 0x03);
        for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
            unit.image.SetTableByte(i, 0xF1);
        if (!InputFields::TriggerLists(unit.flags)) // flags rebuild bits 6-7
            for (int i = 0; i < InputFields::InputCount; ++i)
                unit.image.SetInput(i, {-1, 1, 1, -1, -1, -1, -1});
        const QByteArray before = unit.image.BlockAndTableBytes();

        CInputPage input;
        input.Load(InputFields::Load(unit.image, unit.flags), unit.flags);
        QCOMPARE(Find<QComboBox>(input, u"digitalAudio2"_s)->currentIndex(), -1);
        input.Fields().Store(unit.image, unit.flags);
        CAdvancedPage advanced;
        advanced.Load(AdvancedFields::Load(unit.image, unit.flags), unit.flags);
        QCOMPARE(Find<QComboBox>(advanced, u"autoTrigger"_s)->currentIndex(), -1);
        advanced.Fields().Store(unit.image, unit.flags);
        CSurrmodePage surround;
        surround.Load(SurroundModeFields::Load(unit.image, unit.flags), unit.flags);
        QCOMPARE(Find<QComboBox>(surround, u"stereo0"_s)->currentIndex(), -1);
        surround.Fields().Store(unit.image, unit.flags);
        QCOMPARE(unit.image.BlockAndTableBytes().toHex(' '), before.toHex(' '));
    }

    void advancedVariants_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QList<bool>>("shown"); // volume control, relay, OSD box, preset name
        QTest::addColumn<bool>("dts");
        QTest::addColumn<bool>("temporaryOsd"); // the list can be chosen from
        QTest::newRow("K230 v1.16 preset")
            << u"K230"_s << u"v1.16"_s << 3 << QList<bool>{false, false, true, true} << false
            << false;
        QTest::newRow("K230 v1.23 preset")
            << u"K230"_s << u"v1.23"_s << 3 << QList<bool>{false, false, true, true} << false
            << true;
        QTest::newRow("K230V v2.05 current")
            << u"K230V"_s << u"v2.05"_s << 0 << QList<bool>{true, true, false, false} << true
            << true;
    }
    void advancedVariants()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(int, preset);
        QFETCH(bool, dts);
        Unit unit = MakeUnit(model, version, preset);
        CAdvancedPage page;
        page.Load(AdvancedFields::Load(unit.image, unit.flags), unit.flags);
        page.show();
        QList<bool> shown;
        for (const char* name : {"volumeControl", "relay", "osdBox", "presetName"})
            shown.append(Find<QWidget>(page, QString::fromLatin1(name))->isVisible());
        QTEST(shown, "shown");
        QCOMPARE(Find<QComboBox>(page, u"dtsDynamicRange"_s)->isEnabled(), dts);
        QTEST(Find<QComboBox>(page, u"temporaryOsd"_s)->isEnabled(), "temporaryOsd");
    }

    // Typed names are upper case and at most 13 characters.
    void nameBoxes()
    {
        Unit unit = MakeUnit(u"K240"_s, u"v2.05"_s, 1);
        CInputPage input;
        InputFields fields;
        fields.names[4] = u"VIDEO 5"_s;
        input.Load(fields, unit.flags);
        auto* name = Find<QLineEdit>(input, u"name4"_s);
        QCOMPARE(name->accessibleName(), u"VIDEO 5 name"_s);
        name->selectAll();
        QTest::keyClicks(name, u"laser disc player"_s);
        CAdvancedPage advanced;
        advanced.Load(AdvancedFields::Load(unit.image, unit.flags), unit.flags);
        QTest::keyClicks(Find<QLineEdit>(advanced, u"presetName"_s), u"movie night!!"_s);
        QCOMPARE(input.Fields().names[4], u"LASER DISC PL"_s);
        QCOMPARE(input.Fields().names[3], QString());
        QCOMPARE(advanced.Fields().presetName, u"MOVIE NIGHT!!"_s);
    }
};

QTEST_MAIN(TestInputAdvancedPages)
#include "test_input_advanced_pages.moc"
