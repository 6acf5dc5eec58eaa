#include "setup/c_surrmode_page.h"

#include "link/message_set.h"
#include "setup/setup_controls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using SetupControls::Chosen;
using SetupControls::Select;

namespace {

const QString& StereoHeading()
{
    static const QString text = QStringLiteral("Analog/PCM Stereo");
    return text;
}
const QString& DtsHeading()
{
    static const QString text = QStringLiteral("DTS");
    return text;
}
const QString& DolbyTwoChannelHeading()
{
    static const QString text = QStringLiteral("Dolby Digital 2-channel");
    return text;
}
const QString& DolbyOthersHeading()
{
    static const QString text = QStringLiteral("Dolby Digital Other");
    return text;
}

// The lists as the firmware offers them. The PLIIx items sit at indexes 4
// and 5 of both two-channel lists; the item counts are those the record
// maps (SurroundModeFields), on every row alike.
QStringList StereoItems(bool plIIx)
{
    QStringList items = {u"Direct"_s,
                         u"Pro Logic"_s,
                         u"Pro Logic II: Movie"_s,
                         u"Pro Logic II: Music"_s,
                         u"DTS NEO:6 Cinema"_s,
                         u"DTS NEO:6 Music"_s,
                         u"Matrix 7.1"_s,
                         u"EARS"_s,
                         u"Enhanced Stereo 1"_s,
                         u"Enhanced Stereo 2"_s};
    if (plIIx) {
        items.insert(4, u"Pro Logic IIx - Movie"_s);
        items.insert(5, u"Pro Logic IIx - Music"_s);
    }
    return items;
}

QStringList DolbyTwoChannelItems(bool plIIx)
{
    QStringList items = {u"Direct"_s, u"Pro Logic"_s, u"Pro Logic II: Movie"_s,
                         u"Pro Logic II: Music"_s};
    if (plIIx)
        items << u"Pro Logic IIx: Movie"_s << u"Pro Logic IIx: Music"_s;
    return items;
}

QStringList MultichannelItems(bool enhancedStereo)
{
    QStringList items = {u"Direct"_s, u"Downmix"_s};
    if (enhancedStereo)
        items << u"Enhanced Stereo 1"_s << u"Enhanced Stereo 2"_s;
    return items;
}

QString RowLabel(int input, const QString& name)
{
    if (input == SurroundModeFields::TunerInput)
        return QStringLiteral("TUNER");
    if (input == SurroundModeFields::ExternalInput)
        return QStringLiteral("External");
    return name;
}

// The row's place before the unit's names are known: its source's own name.
QString DefaultPlace(int input)
{
    const QString label = RowLabel(input, QString());
    return label.isEmpty()
               ? QString::fromLatin1(DefaultSourceNames[static_cast<std::size_t>(input)])
               : label;
}

} // namespace

CSurrmodePage::CSurrmodePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("surrmodePage"));
    auto* grid = new QGridLayout;
    const QString headings[] = {QStringLiteral("Input"), StereoHeading(), DtsHeading(),
                                DolbyTwoChannelHeading(), DolbyOthersHeading()};
    for (int column = 0; column < 5; ++column)
        grid->addWidget(new QLabel(headings[column], this), 0, column);

    for (int i = 0; i < SurroundModeFields::InputCount; ++i) {
        RowControls& row = rows[static_cast<std::size_t>(i)];
        const QString n = QString::number(i);
        row.label = new QLabel(RowLabel(i, QString()), this);
        row.label->setObjectName(u"inputLabel"_s + n);
        const QString place = DefaultPlace(i) + u", "_s;
        row.stereo = SetupControls::NewList(this, u"stereo"_s + n, place + StereoHeading(), {});
        row.dts = SetupControls::NewList(this, u"dts"_s + n, place + DtsHeading(), {});
        row.dolbyTwoChannel = SetupControls::NewList(this, u"dolbyTwoChannel"_s + n,
                                                     place + DolbyTwoChannelHeading(), {});
        row.dolbyOthers =
            SetupControls::NewList(this, u"dolbyOthers"_s + n, place + DolbyOthersHeading(), {});
        // Inputs 0..7, then the TUNER row; the External row is laid out last
        // and never shown.
        const int at = i == SurroundModeFields::TunerInput ? SurroundModeFields::ExternalInput + 1
                       : i == SurroundModeFields::ExternalInput ? SurroundModeFields::InputCount + 1
                                                                : i + 1;
        grid->addWidget(row.label, at, 0);
        grid->addWidget(row.stereo, at, 1);
        grid->addWidget(row.dts, at, 2);
        grid->addWidget(row.dolbyTwoChannel, at, 3);
        grid->addWidget(row.dolbyOthers, at, 4);
        if (i == SurroundModeFields::ExternalInput) {
            for (QWidget* control :
                 {static_cast<QWidget*>(row.label), static_cast<QWidget*>(row.stereo),
                  static_cast<QWidget*>(row.dts), static_cast<QWidget*>(row.dolbyTwoChannel),
                  static_cast<QWidget*>(row.dolbyOthers)})
                control->hide();
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
}

QString CSurrmodePage::Title()
{
    return QStringLiteral("Surround Modes");
}

void CSurrmodePage::Load(const SurroundModeFields& fields, const SetupFlags& flags)
{
    loaded = fields;
    const bool plIIx = flags.PlIIx();
    const QStringList stereo = StereoItems(plIIx);
    const QStringList dolbyTwoChannel = DolbyTwoChannelItems(plIIx);
    const QStringList dts = MultichannelItems(false);
    const QStringList dolbyOthers = MultichannelItems(flags.IsK220());
    for (int i = 0; i < SurroundModeFields::InputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        RowControls& row = rows[at];
        const SurroundModeFields::Row& field = fields.rows[at];
        const QString label = RowLabel(i, fields.names[at]);
        row.label->setText(label);
        const QString place = label.isEmpty() ? DefaultPlace(i) : label;
        const auto fill = [&place](QComboBox* list, const QStringList& items,
                                   const QString& heading, int index) {
            SetupControls::SetItems(list, items);
            SetupControls::SetPlace(list, place + u", "_s + heading);
            Select(list, index);
        };
        fill(row.stereo, stereo, StereoHeading(), field.stereo);
        fill(row.dts, dts, DtsHeading(), field.dts);
        fill(row.dolbyTwoChannel, dolbyTwoChannel, DolbyTwoChannelHeading(), field.dolbyTwoChannel);
        fill(row.dolbyOthers, dolbyOthers, DolbyOthersHeading(), field.dolbyOthers);
    }
}

SurroundModeFields CSurrmodePage::Fields() const
{
    SurroundModeFields fields = loaded;
    for (int i = 0; i < SurroundModeFields::InputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const RowControls& row = rows[at];
        SurroundModeFields::Row& field = fields.rows[at];
        const SurroundModeFields::Row& was = loaded.rows[at];
        field.stereo = Chosen(row.stereo, was.stereo);
        field.dts = Chosen(row.dts, was.dts);
        field.dolbyTwoChannel = Chosen(row.dolbyTwoChannel, was.dolbyTwoChannel);
        field.dolbyOthers = Chosen(row.dolbyOthers, was.dolbyOthers);
    }
    return fields;
}
