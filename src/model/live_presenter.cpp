#include "model/live_presenter.h"

#include "model/tuner_preset_list.h"

namespace {

bool IsInput(int input)
{
    return input >= 0 && input < InputCount;
}

QString MinusInfinityText()
{
    return QStringLiteral("-oo dB");
}

} // namespace

QString LivePresenter::VolumeText(int decibels) const
{
    if ((decibels & 0xFF) == values.facts.MinusInfinityCode())
        return MinusInfinityText();
    return ToneText(decibels);
}

QString LivePresenter::ToneText(int decibels)
{
    return QStringLiteral("%1 dB").arg(decibels);
}

QString LivePresenter::SignalTypeText(int type)
{
    if (type < 0 || type >= SignalTypeCount)
        return {};
    return QString::fromLatin1(SignalTypeNames[static_cast<std::size_t>(type)]);
}

QString LivePresenter::SurroundModeText(int mode)
{
    if (mode < 0 || mode >= SurroundModeCount)
        return {};
    return QString::fromLatin1(SurroundModeNames[static_cast<std::size_t>(mode)]);
}

QString LivePresenter::DefaultCaption(int input, LiveRoom room)
{
    if (!IsInput(input))
        return {};
    if (!ShowsInputName(input, room))
        return QString::fromLatin1(ZoneLocalName);
    return QString::fromLatin1(DefaultSourceNames[static_cast<std::size_t>(input)]);
}

bool LivePresenter::ShowsInputName(int input, LiveRoom room)
{
    return IsInput(input) && !(room == LiveRoom::Zone && input == SourceExternal);
}

QString LivePresenter::InputCaption(int input) const
{
    if (!IsInput(input))
        return {};
    const auto i = static_cast<std::size_t>(input);
    return values.inputNameKnown[i] ? values.inputNames[i] : DefaultCaption(input, LiveRoom::Main);
}

QString LivePresenter::FrequencyText() const
{
    return values.tunerBand == Band::Fm ? TunerPresetList::FmFrequencyText(values.fmFrequency)
                                        : TunerPresetList::AmFrequencyText(values.amFrequency);
}

QString LivePresenter::PresetText() const
{
    return TunerPresetList::PresetText(values.tunerBand == Band::Fm ? values.fmPreset
                                                                    : values.amPreset);
}

QString LivePresenter::ConnectionLine(const QString& portName) const
{
    if (!values.connected)
        return QStringLiteral("Not Connected");
    return QStringLiteral("Connected to %1 %2 on %3")
        .arg(values.facts.modelText, values.facts.versionText, portName);
}

bool LivePresenter::SupportedUnit() const
{
    return values.connected && values.facts.IsSupportedModel();
}

QString LivePresenter::UnitMenuTitle() const
{
    return SupportedUnit() ? QStringLiteral("&") + values.facts.modelText : QStringLiteral("Unit");
}

QString LivePresenter::UnitName() const
{
    if (!values.connected)
        return QStringLiteral("N/C");
    return values.facts.IsSupportedModel() ? values.facts.modelText : QStringLiteral("Unit");
}

bool LivePresenter::RoomOn(LiveRoom room) const
{
    return room == LiveRoom::Main ? values.mainPower : values.zonePower;
}

int LivePresenter::QuietestPosition() const
{
    return values.modelIndex == 2 ? 75 : 62;
}

QString LivePresenter::PopupVolumeText(LiveRoom room, bool thumbAtQuietest) const
{
    return thumbAtQuietest ? MinusInfinityText() : VolumeText(values.ReportedSound(room).volume);
}
