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

// The setup pages' records and widgets for every model and firmware, and
// what a screen reader hears of them.
namespace {

struct Unit
{
    SettingsImage image;
    SetupFlags flags;
};

Unit MakeUnit(QAnyStringView model, QAnyStringView version, int preset = 0, int size = 0)
{
    ModelFacts facts{model.toString(), version.toString()};
    facts.blockSize = size > 0 ? size : facts.ImageOffset(SettingsField::FullLayoutEnd);
    Unit unit;
    unit.image.Reset(facts);
    unit.flags = SetupFlags::For(facts, preset);
    return unit;
}

// Each byte holds its own position, so a decoded field tells where it was read.
Unit Positions(QAnyStringView model, QAnyStringView version, int size = 0)
{
    Unit unit = MakeUnit(model, version, 0, size);
    for (int i = 0; i < unit.image.Size(); ++i)
        unit.image.SetByteAt(i, i);
    return unit;
}

// Every byte different, so a write to a wrong byte or bit shows.
Unit Pattern(QAnyStringView model, QAnyStringView version, int preset = 0)
{
    Unit unit = MakeUnit(model, version, preset);
    for (int i = 0; i < unit.image.Size(); ++i)
        unit.image.SetByteAt(i, (i * 37 + 11) & 0xFF);
    for (int i = 0; i < SettingsImage::SurroundTableSize; ++i)
        unit.image.SetTableByte(i, (i * 53 + 7) & 0xFF);
    unit.image.SetPresetName(u"OLD NAME"_s);
    return unit;
}

using Channels = ListeningModeFields::Channels;

// "1 -1 3" as a list ("" as none), so a table row fits a line.
QList<int> Ints(const char* text)
{
    QList<int> list;
    for (const QByteArray& item : QByteArray(text).split(' '))
        if (!item.isEmpty())
            list.append(item.toInt());
    return list;
}

// The values of `fields` as they were; then each takes its `edit` entry
// unless that is `keep`.
QList<int> Edit(const QList<int*>& fields, const QList<int>& edit = {}, int keep = -1)
{
    QList<int> before;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        before.append(*fields[i]);
        if (edit.value(i, keep) != keep)
            *fields[i] = edit[i];
    }
    return before;
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

// One digit per control in `names`: 1 where it is enabled (or shown).
QString Bits(const QWidget* page, const char* names, bool shown = false)
{
    QString bits;
    for (const QByteArray& name : QByteArray(names).split(' ')) {
        const QWidget* control = Find<QWidget>(page, QString::fromLatin1(name));
        bits += (shown ? control->isVisibleTo(page) : control->isEnabled()) ? u'1' : u'0';
    }
    return bits;
}

int CentreX(const QWidget* page, const QString& name)
{
    const QWidget* child = Find<QWidget>(page, name);
    return child->mapTo(page, child->rect().center()).x();
}

// The Levels and Listening Modes pages read the Speaker page when shown.
template <typename T> T* ShowPage(SetupSheet& sheet)
{
    T* page = sheet.findChild<T*>();
    sheet.Tabs()->setCurrentWidget(page);
    sheet.show();
    QCoreApplication::processEvents();
    return page;
}

// A list's name on Linux is its current value, so its place must come from
// its description or a label that names it.
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

template <typename Row, std::size_t N> void AddRows(const Row (&rows)[N])
{
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << static_cast<int>(i);
}

template <typename Row, std::size_t N> const Row& CurrentRow(const Row (&rows)[N])
{
    QFETCH(int, row);
    return rows[row];
}

// The subwoofer byte; lists hold switch, crossover, combined, Enhanced Bass.
struct SubwooferRow
{
    const char *name, *version;
    int byte;
    const char *decoded, *edit; // -1 in `edit` keeps the loaded value
    int stored;
};
const SubwooferRow SubwooferRows[] = {
    {"switch off keeps bits 5-7", "v2.00", 0xE3, "1 0 0 1", "0 6 -1 0", 0xF8},
    {"crossover code 7 kept", "v2.05", 0x1D, "1 7 0 0", "-1 -1 -1 1", 0x1F},
    {"old separate form keeps bits 4-7", "v1.26", 0xA7, "1 3 0 0", "-1 6 5 1", 0xAD},
    {"combined form", "v1.20", 0x03, "0 0 3 0", "1 4 7 1", 0x07},
    {"combined code 9 kept", "v1.20", 0x09, "0 0 9 0", "-1 -1 -1 -1", 0x09},
};

// A record of the pattern (of `input`, where a page has one per input): the
// bytes set before loading, the fields as loaded, the edit and the bytes
// stored; bytes in hex.
struct RecordRow
{
    const char *name, *model, *version;
    int input;
    const char *bytes, *loaded, *edit, *stored;
};

// An input record: digital, trigger 1, trigger 2, video, format, analog,
// gain (-1 as loaded). Of the pattern, input 4 = c7 ec 11, input 9 =
// f2 17 3c (a5 ca on a K220).
const RecordRow InputRows[] = {
    {"codes: bits 4-7 = t1 + 4 t2", "K240", "v2.05", 4, "", "", "2 3 1 -1 -1 -1 -1", "72ec11"},
    {"v1.26 flags, bits 6-7 cleared", "K230", "v1.26", 4, "", "", "-1 0 1 -1 -1 -1 -1", "27ec11"},
    {"K220: flags in a two-byte record", "K220", "v2.05", 9, "", "", "1 1 0 4 -1 10 -1", "11a4"},
    {"K230: no format, gain stored", "K230", "v2.05", 4, "", "", "-1 -1 -1 1 2 -1 8", "c7e118"},
    {"K230V: format stored", "K230V", "v2.05", 4, "", "", "-1 -1 -1 -1 0 -1 -1", "c7ec01"},
    {"K230V: TUNER's format kept", "K230V", "v2.05", 9, "", "", "-1 -1 -1 -1 2 -1 0", "f21730"},
};

// The Advanced page: canonical bytes 30, 31, 32, 37 and the last; DSP,
// trigger, volume, relay, background, temporary OSD, EX, Dolby DR, DTS-ES,
// DTS DR (-2 leaves one).
const RecordRow AdvancedRows[] = {
    {"v1.10: no temporary OSD, byte 31 = background", "K230", "v1.10", 0, "ff ff 06 ff d8",
     "1 3 -1 3 1 0 1 6 1 -1", "0 2 -2 0 0 -2 0 -2 0 -2", "fb 00 06 f8 d8"},
    {"v1.23: the dynamic range byte is the Dolby index", "K220", "v1.23", 0, "00 02 fe 00 00",
     "0 0 -1 0 0 1 0 254 0 -1", "-2 -2 -2 -2 -2 -2 -2 2 -2 -2", "00 02 02 00 00"},
    {"v1.26: DTS bit, neighbours kept", "K240", "v1.26", 0, "00 f3 f9 00 00",
     "0 0 -1 0 1 1 0 1 0 0", "-2 -2 -2 -2 -2 0 -2 2 -2 1", "00 01 fe 00 00"},
    {"v2.00: trigger and relay bits, neighbours kept, Fixed", "K240", "v2.00", 0, "5f 00 00 f8 d8",
     "0 3 1 3 0 0 0 0 0 0", "1 2 0 1 -2 -2 1 -2 1 -2", "56 00 00 ff a5"},
    {"v2.05: Fixed to Variable writes 0", "K110", "v2.05", 0, "00 00 00 00 a5",
     "0 0 0 0 0 0 0 0 0 0", "-2 -2 1 -2 -2 -2 -2 -2 -2 -2", "00 00 00 00 00"},
    {"v2.05: Variable keeps the zone volume", "K230V", "v2.05", 0, "00 00 00 00 d8",
     "0 0 1 0 0 0 0 0 0 0", "", "00 00 00 00 d8"},
    {"v2.05 K220: Fixed", "K220", "v2.05", 0, "00 00 00 00 ec", "0 0 1 0 0 0 0 0 0 0",
     "-2 -2 0 -2 -2 -2 -2 -2 -2 -2", "00 00 00 00 a5"},
};

// A surround-mode table row (bytes 2i, 2i+1 of the table): stereo, DTS,
// Dolby 2-channel, Dolby others (-2 leaves one).
const RecordRow SurroundRows[] = {
    {"code 1, out-of-range 15 and 3 kept", "K230", "v1.26", 8, "f31f", "1 -1 -1 -1", "", "f31f"},
    {"a changed list writes its code", "K230", "v1.26", 8, "f31f", "1 -1 -1 -1", "0 1 2 0", "3001"},
    {"PLIIx: code 5 kept, IIx Movie 6", "K240", "v2.05", 0, "5280", "6 0 3 -1", "-2 -2 4 -2",
     "6280"},
    {"K220: Dolby others ES 1, 2", "K220", "v2.05", 3, "7302", "0 -1 5 3", "-2 -2 -2 2", "7202"},
};

// A code no list knows in every byte; the control touched and its byte.
struct UnknownCodesRow
{
    const char *name, *model, *version;
    int preset;
    const char* control;
    int canonical;
};
const UnknownCodesRow UnknownCodesRows[] = {
    {"K230 v2.05", "K230", "v2.05", 0, "frontDistance", 54},
    {"K110 v1.26 preset", "K110", "v1.26", 1, "centerWidth", 34},
    {"K220 v1.23 preset", "K220", "v1.23", 1, "bass", 61},
    {"K230V v1.26", "K230V", "v1.26", 0, "centerLevel", 47},
};

// The stereo list of one input: the code loaded, its text, the item picked,
// the code stored, and the items of the Dolby others list.
struct SurroundListRow
{
    const char *name, *model, *version;
    int input, loaded;
    const char *shown, *pick;
    int stored, othersItems;
};
const SurroundListRow SurroundListRows[] = {
    {"no PLIIx: NEO:6 Cinema is 5", "K240", "v1.26", 1, 8, "EARS", "DTS NEO:6 Cinema", 5, 2},
    {"PLIIx: IIx Movie is 6", "K240", "v2.05", 0, 8, "DTS NEO:6 Cinema", "Pro Logic IIx - Movie", 6,
     2},
    {"PLIIx: TUNER ES 2 is 13", "K230", "v2.00", 9, 0, "Direct", "Enhanced Stereo 2", 13, 2},
    {"K220: Enhanced Stereo for Dolby others", "K220", "v1.26", 9, 2, "Pro Logic",
     "Pro Logic II: Movie", 3, 4},
};

} // namespace

class TestSetupPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The firmware thresholds the sheet hands to the pages, at and just
    // below each one; versions compare as text, ignoring case.
    void flagsAtThresholds_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("flags"); // temporary OSD, subwoofer+NEO:6, DTS DR, v2.00
        for (const char* row :
             {"K220 v1.19 0000", "K220 v1.20 1000", "K230 v1.22 1000", "K230 V1.23 1100",
              "K240 v1.25 1100", "K240 v1.26 1110", "K110 v1.99 1110", "K110 v2.00 1111"})
            QTest::newRow(row) << QString::fromLatin1(row, 4) << QString::fromLatin1(row + 5, 5)
                               << QString::fromLatin1(row + 11);
        QTest::newRow("no version yet") << u"K230"_s << QString() << u"0000"_s;
    }
    void flagsAtThresholds()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(QString, flags);
        const ModelFacts facts{model, version};
        for (int preset : {0, 3}) {
            const SetupFlags f = SetupFlags::For(facts, preset);
            const QString got = u"%1%2%3%4"_s.arg(int(f.temporaryOsd))
                                    .arg(int(f.separateSubwoofer && f.neo6CenterGain))
                                    .arg(int(f.dtsDynamicRange))
                                    .arg(int(f.newFirmware));
            QCOMPARE(got, flags);
            QCOMPARE(f.PlIIx(), preset != 0 && f.newFirmware);
        }
    }

    // Every field of the three pages across models and firmware: where it is
    // read, and that edited fields land on their bytes only.
    void layout_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        for (const char* model : {"K110", "K230", "K240", "K220"}) {
            for (const char* version : {"v1.20", "v1.23", "v1.26", "v2.00", "v2.05"})
                QTest::addRow("%s %s", model, version)
                    << QString::fromLatin1(model) << QString::fromLatin1(version);
        }
    }
    void layout()
    {
        QFETCH(QString, model);
        QFETCH(QString, version);
        Unit unit = Positions(model, version);
        const QByteArray before = unit.image.BlockBytes();
        // The Pro Logic II bytes, the NEO:6 byte where the firmware has it,
        // the two Enhanced Stereo bytes from v2.00, then the speaker bytes;
        // on the K220 all 10 positions lower.
        const int shift = model == u"K220"_s ? 10 : 0;
        const bool neo6 = unit.flags.neo6CenterGain, es = unit.flags.newFirmware;
        const int plII = 33 - shift;
        const int p = 37 + neo6 + 2 * es - shift;

        SpeakerFields speaker = SpeakerFields::Load(unit.image, unit.flags);
        LevelFields level = LevelFields::Load(unit.image, unit.flags);
        ListeningModeFields listening = ListeningModeFields::Load(unit.image, unit.flags);
        QCOMPARE(Edit({&speaker.frontSize, &speaker.backCount, &speaker.frontDistance,
                       &speaker.distanceUnit, &level.levels[LevelFields::FrontLeft],
                       &level.levels[LevelFields::Subwoofer], &level.treble, &level.bass,
                       &listening.dimension, &listening.panorama, &listening.centerGain}),
                 (QList<int>{p, p + 4, p + 14, p + 19, p + 6, p + 13, p + 20, p + 21, plII,
                             plII + 2, neo6 ? plII + 3 : -1}));
        const auto bits = [](int byte) {
            return byte < 0 ? Channels{-1, -1, -1, -1}
                            : Channels{byte & 1, byte >> 1 & 1, byte >> 2 & 1, byte >> 3 & 1};
        };
        QCOMPARE(listening.enhancedStereo1, bits(es ? p - 2 : -1));
        QCOMPARE(listening.enhancedStereo2, bits(es ? p - 1 : -1));

        speaker = {1, 2, 1, 0, 1, 10, 11, 12, 13, 1, 1, 3, 6, 1};
        for (int i = 0; i < LevelFields::ChannelCount; ++i)
            level.levels[static_cast<std::size_t>(i)] = 20 + i;
        Edit({&level.treble, &level.bass, &listening.dimension, &listening.centerWidth,
              &listening.panorama, &listening.centerGain},
             Ints("9 1 6 7 1 4"));
        listening.enhancedStereo1 = {1, 0, 1, 0};
        listening.enhancedStereo2 = {0, 1, 0, 1};
        // Levels before the Enhanced Stereo bytes, so a misplaced write shows.
        speaker.Store(unit.image, unit.flags);
        level.Store(unit.image, unit.flags);
        listening.Store(unit.image, unit.flags);

        QByteArray expected = before;
        const auto put = [&expected](int position, const QList<int>& values) {
            for (qsizetype i = 0; i < values.size(); ++i)
                expected[position + i] = static_cast<char>(values[i]);
        };
        put(p, {1, 2, 1, 0, 1});
        put(p + 14, {10, 11, 12, 13});
        put(p + 19, {1});
        const int sub = p + 5; // switch on, crossover 3 in its form, or combined 6
        put(sub, {!unit.flags.separateSubwoofer ? 6
                  : !unit.flags.newFirmware     ? (sub & 0xF0) | 3 << 1 | 1
                                                : (sub & 0xE0) | 3 << 2 | 2 | 1});
        for (int i = 0; i < LevelFields::ChannelCount; ++i)
            put(p + 6 + i, {20 + i});
        put(p + 20, {9, 1});
        put(plII, {6, 7, 1});
        if (neo6)
            put(plII + 3, {4});
        if (es)
            put(p - 2, {((p - 2) & 0xF0) | 0x5, ((p - 1) & 0xF0) | 0xA});
        QCOMPARE(unit.image.BlockBytes().toHex(' '), expected.toHex(' '));
    }

    // The subwoofer byte in its three forms; bits beside the fields are
    // kept, and a code outside its list comes back unchanged.
    void subwoofer_data() { AddRows(SubwooferRows); }
    void subwoofer()
    {
        const SubwooferRow& r = CurrentRow(SubwooferRows);
        Unit unit = Positions("K230", r.version);
        QVERIFY(unit.image.SetByte(SettingsField::Subwoofer, r.byte));
        SpeakerFields fields = SpeakerFields::Load(unit.image, unit.flags);
        QCOMPARE(Edit({&fields.subwooferSwitch, &fields.crossover, &fields.subwooferCombined,
                       &fields.enhancedBass},
                      Ints(r.edit)),
                 Ints(r.decoded));
        fields.Store(unit.image, unit.flags);
        QCOMPARE(unit.image.Byte(SettingsField::Subwoofer), r.stored);
    }

    // A block too short for the levels: the missing fields read -1 and
    // nothing is written past the block.
    void shortBlock()
    {
        Unit unit = Positions(u"K240"_s, u"v2.05"_s, 50);
        LevelFields level = LevelFields::Load(unit.image, unit.flags);
        SpeakerFields speaker = SpeakerFields::Load(unit.image, unit.flags);
        QCOMPARE(Edit({&level.levels[LevelFields::SurroundRight],
                       &level.levels[LevelFields::BackRight], &level.bass, &speaker.frontDistance}),
                 Ints("49 -1 -1 -1"));
        const QByteArray before = unit.image.BlockBytes();
        level.levels.fill(3);
        level.bass = 2;
        level.Store(unit.image, unit.flags);
        speaker.Store(unit.image, unit.flags);
        QCOMPARE(unit.image.Size(), 50);
        QCOMPARE(unit.image.BlockBytes().left(46), before.left(46));
        QCOMPARE(unit.image.BlockBytes().mid(46).toHex(), QByteArray("03030303"));
    }

    void rules_data()
    {
        QTest::addColumn<bool>("separate");
        // front, centre, surround, back, switch, combined
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<QList<int>>("after");
        const auto row = [](const char* name, bool separate, const char* before,
                            const char* after) {
            QTest::newRow(name) << separate << Ints(before) << Ints(after);
        };
        row("front Small keeps Off", true, "0 0 2 0 1 0", "0 0 1 0 1 0");
        row("combined Off: front Large", false, "0 1 1 1 0 0", "1 1 1 1 0 0");
        row("combined 80 Hz allows a Small front", false, "0 2 1 1 0 3", "0 1 1 1 0 3");
        row("unknown front is not forced", true, "7 2 2 2 0 0", "7 2 2 2 0 0");
        row("unknown sizes are not lowered", true, "0 9 2 5 1 0", "0 9 1 5 1 0");
        row("unknown back stays with surround Off", true, "1 1 0 5 1 0", "1 1 0 5 1 0");
        row("unknown surround is not Off", true, "1 1 4 2 1 0", "1 1 4 2 1 0");
    }
    void rules()
    {
        QFETCH(bool, separate);
        QFETCH(QList<int>, before);
        SetupFlags flags;
        flags.separateSubwoofer = separate;
        SpeakerFields fields;
        const QList<int*> sizes = {&fields.frontSize,       &fields.center,
                                   &fields.surround,        &fields.back,
                                   &fields.subwooferSwitch, &fields.subwooferCombined};
        Edit(sizes, before);
        fields.ApplyRules(flags);
        QTEST(Edit(sizes), "after");
    }

    // An unknown centre or back count is offered, so it can be set right; the
    // other subwoofer form's field is ignored.
    void usableWithUnknownCodes()
    {
        SetupFlags flags;
        flags.separateSubwoofer = false;
        SpeakerFields speakers;
        Edit({&speakers.center, &speakers.backCount, &speakers.subwooferSwitch,
              &speakers.subwooferCombined},
             Ints("7 9 0 3"));
        const LevelFields::Usable usable = LevelFields::UsableFor(speakers, flags);
        QVERIFY(usable.center && usable.subwoofer && usable.backPair);
        flags.separateSubwoofer = true;
        QVERIFY(!LevelFields::UsableFor(speakers, flags).subwoofer);
    }

    void inputEdits_data() { AddRows(InputRows); }
    void inputEdits()
    {
        const RecordRow& r = CurrentRow(InputRows);
        Unit unit = Pattern(r.model, r.version);
        InputFields fields = InputFields::Load(unit.image, unit.flags);
        InputFields::Row& row = fields.rows[static_cast<std::size_t>(r.input)];
        Edit({&row.digitalAudio, &row.trigger1, &row.trigger2, &row.video, &row.videoFormat,
              &row.analogAudio, &row.analogGain},
             Ints(r.edit));
        fields.names[0] = u"IGNORED"_s;
        // Against an untouched store, which may rebuild the trigger bits.
        InputFields::Load(unit.image, unit.flags).Store(unit.image, unit.flags);
        QByteArray expected = unit.image.BlockBytes();
        const QByteArray record = QByteArray::fromHex(r.stored);
        expected.replace(record.size() * r.input, record.size(), record);
        fields.Store(unit.image, unit.flags);
        QCOMPARE(unit.image.BlockBytes().toHex(' '), expected.toHex(' '));
    }

    // Old firmware keeps the trigger sources in bits 0 and 1 of canonical 30.
    void triggerSources()
    {
        Unit old = Pattern(u"K220"_s, u"v1.23"_s);
        const int at = old.image.Position(SettingsField::TriggersAndRelay);
        old.image.SetByteAt(at, 0xA6);
        InputFields fields = InputFields::Load(old.image, old.flags);
        QCOMPARE(Edit({&fields.trigger1Source, &fields.trigger2Source}, {1, 0}), Ints("0 1"));
        fields.Store(old.image, old.flags);
        QCOMPARE(old.image.ByteAt(at), 0xA5);
        // From v2.00 those bits are the auto trigger's: the Input page leaves them.
        Unit current = Pattern(u"K240"_s, u"v2.00"_s);
        fields.Store(current.image, current.flags);
        QCOMPARE(current.image.Byte(SettingsField::TriggersAndRelay), (30 * 37 + 11) & 0xFF);
    }

    // A video code no list has is taken as OFF: the format list is disabled
    // and keeps its items and selection.
    void formatRefillUnknownVideo()
    {
        const InputFields::FormatList list = InputFields::RefillFormat(9, -1, 2);
        QCOMPARE(QList<int>({list.items, int{list.enabled}, list.selection}),
                 QList<int>({2, 0, -1}));
    }

    void advanced_data() { AddRows(AdvancedRows); }
    void advanced()
    {
        const RecordRow& r = CurrentRow(AdvancedRows);
        Unit unit = Pattern(r.model, r.version);
        const int offsets[] = {30, 31, 32, 37, 65};
        const QByteArray in = QByteArray::fromHex(r.bytes);
        for (int i = 0; i < 5; ++i)
            QVERIFY(unit.image.SetByte(offsets[i], static_cast<std::uint8_t>(in[i])));
        const QByteArray before = unit.image.BlockBytes();

        AdvancedFields fields = AdvancedFields::Load(unit.image, unit.flags);
        QCOMPARE(
            Edit({&fields.mainZoneDsp, &fields.autoTrigger, &fields.volumeControl, &fields.relay,
                  &fields.background, &fields.temporaryOsd, &fields.surroundExMode,
                  &fields.dolbyDynamicRange, &fields.dtsEsMatrix, &fields.dtsDynamicRange},
                 Ints(r.edit), -2),
            Ints(r.loaded));
        fields.Store(unit.image, unit.flags);

        QByteArray expected = before;
        const QByteArray out = QByteArray::fromHex(r.stored);
        for (int i = 0; i < 5; ++i)
            expected[unit.image.Position(offsets[i])] = out[i];
        QCOMPARE(unit.image.BlockBytes().toHex(' '), expected.toHex(' '));
    }

    // Codes the lists do not produce still open on an item (1 as Pro
    // Logic; 5 as Pro Logic II: Music with PLIIx) and, untouched, are kept.
    void surroundTable_data() { AddRows(SurroundRows); }
    void surroundTable()
    {
        const RecordRow& r = CurrentRow(SurroundRows);
        Unit unit = Pattern(r.model, r.version, 4);
        const QByteArray in = QByteArray::fromHex(r.bytes);
        unit.image.SetTableByte(2 * r.input, static_cast<std::uint8_t>(in[0]));
        unit.image.SetTableByte(2 * r.input + 1, static_cast<std::uint8_t>(in[1]));
        QByteArray expected = unit.image.BlockAndTableBytes();
        expected.replace(unit.image.Size() + 2 * r.input, 2, QByteArray::fromHex(r.stored));

        SurroundModeFields fields = SurroundModeFields::Load(unit.image, unit.flags);
        SurroundModeFields::Row& row = fields.rows[static_cast<std::size_t>(r.input)];
        QCOMPARE(
            Edit({&row.stereo, &row.dts, &row.dolbyTwoChannel, &row.dolbyOthers}, Ints(r.edit), -2),
            Ints(r.loaded));
        fields.Store(unit.image, unit.flags);
        QCOMPARE(unit.image.BlockAndTableBytes().toHex(' '), expected.toHex(' '));
    }

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
        QCOMPARE(Bits(&page, "crossover"), u"0"_s);
        Choose(&page, u"subwooferSwitch"_s, 1);
        QCOMPARE(Bits(&page, "crossover") + Bits(&page, "enhancedBass", true), u"11"_s);
        Choose(&page, u"frontSize"_s, SpeakerFields::Small);
        Choose(&page, u"centerSize"_s, 2);
        QCOMPARE(Text(&page, u"centerSize"_s), u"Small"_s);
        QCOMPARE(Text(&page, u"surroundSize"_s), u"Small"_s);
        QVERIFY(!Shown(&page, u"enhancedBass"_s));
        QCOMPARE(page.FrontSize(), SpeakerFields::Small);

        Choose(&page, u"surroundSize"_s, 0);
        QCOMPARE(Bits(&page, "backSize backDistance backCount surroundDistance"), u"0000"_s);
        QCOMPARE(Text(&page, u"backSize"_s), u"Off"_s);
        Choose(&page, u"surroundSize"_s, 1);
        QCOMPARE(Bits(&page, "backSize backDistance"), u"10"_s);
        QCOMPARE(Text(&page, u"backSize"_s), u"Off"_s);
        QVERIFY(page.IsModified());
        // Metres relabel the distance lists and keep the field.
        QCOMPARE(Text(&page, u"frontDistance"_s), u"10 ft"_s);
        Choose(&page, u"distanceUnit"_s, SpeakerFields::Meters);
        QCOMPARE(Text(&page, u"frontDistance"_s), u" 3.0 m"_s);
        QCOMPARE(page.Fields().frontDistance, 9);
    }

    // What each model and firmware shows on the pages; the combined
    // subwoofer list stands where the crossover does not.
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
        QTEST(Bits(&speaker, "crossover enhancedBass", true) +
                  Bits(&listening, "neo6Group enhancedStereo1Group", true) +
                  Bits(&input, "analogGain3 trigger1List5 triggerSources", true) +
                  (format->count() > 0 ? u"1"_s : u"0"_s) +
                  Bits(&advanced, "volumeControl relay osdBox presetName", true) +
                  Bits(&advanced, "dtsDynamicRange temporaryOsd"),
              "shown");
        QCOMPARE(Shown(&speaker, u"subwooferCombined"_s), !crossover);
        QCOMPARE(Find(&speaker, u"subwooferSwitch"_s)->isEnabled(), crossover);
        QCOMPARE(Shown(&listening, u"enhancedStereo2Group"_s),
                 Shown(&listening, u"enhancedStereo1Group"_s));
        QCOMPARE(listening.Fields().centerGain, Shown(&listening, u"neo6Group"_s) ? 0 : -1);
        QCOMPARE(Shown(&input, u"analogGainHeading"_s), Shown(&input, u"analogGain3"_s));
        QCOMPARE(Shown(&input, u"trigger2Check5"_s), !Shown(&input, u"trigger1List5"_s));
        QCOMPARE(format->isEnabled(), format->count() > 0);
        // The TUNER row keeps its connectors, and never has a format.
        QCOMPARE(Bits(&input, "name9 video9 videoFormat9 analogAudio9 digitalAudio9"), u"00000"_s);
        QCOMPARE(Find(&input, u"analogAudio9"_s)->count(), 11);
        QCOMPARE(Find(&input, u"analogAudio8"_s)->count(), 10);
        if (format->count() == 0)
            return;
        // Another source refills the format list: VIDEO 4 has no COMPONENT,
        // and OFF disables the list but keeps its selection.
        Choose(&input, u"video0"_s, 4);
        QCOMPARE(format->count(), 2);
        QCOMPARE(input.Fields().rows[0].videoFormat, 0);
        Choose(&input, u"videoFormat0"_s, 1);
        Choose(&input, u"video0"_s, 0);
        QVERIFY(!format->isEnabled());
        QCOMPARE(format->count(), 2);
        QCOMPARE(input.Fields().rows[0].videoFormat, 1);
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
        QCOMPARE(Bits(page, "centerLevel surroundLeftLevel subwooferLevel"), u"011"_s);
        QVERIFY(Shown(page, u"backRightLevel"_s));
        QVERIFY(CentreX(page, u"backLeftLevel"_s) < CentreX(page, u"listenerPicture"_s));
        QVERIFY(CentreX(page, u"backRightLevel"_s) > CentreX(page, u"listenerPicture"_s));
        QVERIFY(!Find<QLabel>(page, u"listenerPicture"_s)->pixmap().isNull());
        const CListeningModePage* listening = ShowPage<CListeningModePage>(sheet);
        QCOMPARE(Bits(listening, "enhancedStereo1Front enhancedStereo2Center"), u"10"_s);
        Choose(listening, u"enhancedStereo1Front"_s, 1);

        ShowPage<CSpeakerPage>(sheet);
        Choose(speaker, u"centerSize"_s, 1);
        Choose(speaker, u"backCount"_s, SpeakerFields::BackSingle);
        Choose(speaker, u"subwooferSwitch"_s, 0);
        Choose(speaker, u"backSize"_s, 0);
        ShowPage<CLevelPage>(sheet);
        QCOMPARE(Bits(page, "centerLevel subwooferLevel backLeftLevel"), u"100"_s);
        QCOMPARE(Bits(page, "backRightLevel backLeftLevel", true), u"01"_s);
        // The single back speaker stands in the middle behind the listener.
        QVERIFY(qAbs(CentreX(page, u"backLeftLevel"_s) - CentreX(page, u"centerLevel"_s)) <= 1);
        QCOMPARE(page->Fields().levels[LevelFields::Subwoofer], 17);
        ShowPage<CListeningModePage>(sheet);
        QVERIFY(Find(listening, u"enhancedStereo2Center"_s)->isEnabled());
        QCOMPARE(listening->Fields().enhancedStereo1, (ListeningModeFields::Channels{1, 0, 0, 0}));
    }

    // Codes no list knows show no selection and come back unchanged through
    // the sheet; a touched control changes its byte only.
    void untouchedCodesRoundTrip_data() { AddRows(UnknownCodesRows); }
    void untouchedCodesRoundTrip()
    {
        const UnknownCodesRow& r = CurrentRow(UnknownCodesRows);
        const QString control = QString::fromLatin1(r.control);
        Unit unit = MakeUnit(r.model, r.version, r.preset);
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
                expected[unit.image.Position(r.canonical)] = 3;
            QCOMPARE(stored.BlockAndTableBytes().toHex(' '), expected.toHex(' '));
        }
    }

    void surroundLists_data() { AddRows(SurroundListRows); }
    void surroundLists()
    {
        const SurroundListRow& r = CurrentRow(SurroundListRows);
        const int input = r.input;
        Unit unit = MakeUnit(r.model, r.version, 2);
        unit.image.SetSurround(input, {r.loaded, 0, 0, 0});
        SurroundModeFields fields = SurroundModeFields::Load(unit.image, unit.flags);
        fields.names[input] = u"SAT"_s;
        CSurrmodePage page;
        page.Load(fields, unit.flags);
        const QString n = QString::number(input);
        QComboBox* stereo = Find(&page, u"stereo"_s + n);
        QCOMPARE(stereo->currentText(), QString::fromLatin1(r.shown));
        QCOMPARE(Find(&page, u"dolbyOthers"_s + n)->count(), r.othersItems);
        QCOMPARE(Find<QLabel>(&page, u"inputLabel"_s + n)->text(),
                 input == SurroundModeFields::TunerInput ? u"TUNER"_s : u"SAT"_s);
        // Every row offers the same items, so each index means one code.
        const bool plIIx = unit.flags.PlIIx();
        QCOMPARE(stereo->count(), SurroundModeFields::StereoItems(plIIx));
        QCOMPARE(Find(&page, u"dolbyTwoChannel"_s + n)->count(),
                 SurroundModeFields::DolbyTwoChannelItems(plIIx));
        QVERIFY(Find(&page, u"dts8"_s)->isHidden());

        Choose(&page, u"stereo"_s + n, stereo->findText(QString::fromLatin1(r.pick)));
        page.Fields().Store(unit.image, unit.flags);
        QCOMPARE(unit.image.Surround(input).stereo, r.stored);
    }

    // Typed names are upper case and at most 13 characters; the rename
    // dialog saves with Enter (Save is its default button).
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

    // Every shown control's place is heard, and no two of one page or dialog
    // read the same.
    void heard()
    {
        for (const auto& [model, firmware, preset] :
             {std::tuple{"K230", "v2.05", 0}, {"K110", "v2.05", 1}, {"K220", "v1.16", 0}}) {
            const Unit unit = MakeUnit(model, firmware, preset);
            SetupSheet sheet(SetupFields::Load(unit.image, unit.flags), unit.flags);
            sheet.show();
            QTabWidget* tabs = sheet.Tabs();
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                const QStringList problems = Unheard(tabs->widget(i));
                QVERIFY2(problems.isEmpty(),
                         qPrintable(u"%1 %2 %3: "_s.arg(QLatin1String(model),
                                                        QLatin1String(firmware), tabs->tabText(i)) +
                                    problems.join(u"; "_s)));
            }
        }
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
