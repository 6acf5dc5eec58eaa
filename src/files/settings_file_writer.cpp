#include "files/settings_file_writer.h"

#include "files/settings_file_format.h"
#include "setup/setup_fields.h"
#include "setup/setup_flags.h"
#include "tuner/tuner_preset_file.h"

#include <QIODevice>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace {

namespace Format = SettingsFileFormat;
namespace Keys = SettingsFileFormat::Keys;

constexpr int TunerIndent = 1;

// What a tag stands for in a comparison's wording ("A/V preset 3 > Speaker
// Setup > CenterSpeaker"); empty for a tag that adds nothing to the place.
QString PlaceOf(const char* tag)
{
    static const std::pair<const char*, const char*> places[] = {
        {Format::InputSettingsTag, "Input Settings"},
        {Format::SurroundModesTag, "Surround Modes"},
        {Format::SpeakerSetupTag, "Speaker Setup"},
        {Format::LevelSetupTag, "Levels"},
        {Format::ListeningModesTag, "Listening Modes"},
        {Format::AdvancedTag, "Advanced"},
        {Format::EnhancedStereo1Tag, "Enhanced Stereo 1"},
        {Format::EnhancedStereo2Tag, "Enhanced Stereo 2"},
    };
    for (const auto& [name, place] : places) {
        if (qstrcmp(tag, name) == 0)
            return QLatin1String(place);
    }
    bool digit = false;
    const int input = QByteArray(tag).toInt(&digit);
    return digit ? QStringLiteral("Input %1").arg(input + 1) : QString();
}

// One block's text, line by line; with `entries`, also every key line of the
// block's sections with its place.
class Lines
{
public:
    explicit Lines(QList<SettingsFileWriter::Entry>* collect = nullptr) : entries(collect) {}

    void Empty() { text += Format::LineEnd; }
    void Tag(int tabs, const QByteArray& tag)
    {
        Indent(tabs);
        text += tag;
        text += Format::LineEnd;
    }
    void Open(int tabs, const char* name)
    {
        Tag(tabs, QByteArray("<") + name + '>');
        places.append(PlaceOf(name));
    }
    void Close(int tabs, const char* name)
    {
        Tag(tabs, QByteArray("</") + name + '>');
        if (!places.isEmpty())
            places.removeLast();
        inner.clear();
    }
    // A place inside the section that holds no tag of its own (an input of
    // the surround modes), until the next one or the section's end.
    void Within(const QString& place) { inner = place; }
    void Value(int tabs, const Format::Key& key, const QByteArray& value)
    {
        Indent(tabs);
        text += key.name;
        text += key.separator;
        text += value;
        text += Format::LineEnd;
        if (!entries || places.isEmpty())
            return; // the header says where the file came from: nothing to compare
        QStringList where;
        for (const QString& place : places) {
            if (!place.isEmpty())
                where << place;
        }
        if (!inner.isEmpty())
            where << inner;
        entries->append({where.join(QStringLiteral(" > ")), QLatin1String(key.name),
                         QString::fromLatin1(value)});
    }

    QByteArray text;

private:
    void Indent(int tabs) { text += QByteArray(tabs, '\t'); }

    QList<SettingsFileWriter::Entry>* entries;
    QStringList places;
    QString inner;
};

QByteArray Latin1(const QString& text)
{
    return text.toLatin1();
}

// The page's code where the page holds one, else the block's own bits (the
// Input page leaves the video format of some rows and models alone, but the
// file always carries it).
int Pick(int pageCode, int blockCode)
{
    return pageCode >= 0 ? pageCode : blockCode;
}

void WriteHeader(Lines& out, const SettingsFileWriter::Unit& unit)
{
    out.Tag(0, Format::RootTag);
    out.Value(1, Keys::Model, Latin1(unit.modelText));
    out.Value(1, Keys::OriginalFirmware, Latin1(unit.versionText));
    out.Empty();
    out.Value(1, Keys::SpeakerA, Format::CodeText(Format::OffOn, unit.speakerA ? 1 : 0));
    out.Value(1, Keys::SpeakerB, Format::CodeText(Format::OffOn, unit.speakerB ? 1 : 0));
    out.Empty();
}

void WriteInputs(Lines& out, const SettingsImage& image, const SetupFields& fields)
{
    out.Open(1, Format::InputSettingsTag);
    out.Empty();
    for (int d = 0; d < SettingsImage::InputRecordCount; ++d) {
        const auto at = static_cast<std::size_t>(d);
        const InputFields::Row& row = fields.input.rows[at];
        const SettingsImage::InputRecord record = image.Input(d);
        const QByteArray number = QByteArray::number(d);
        out.Open(1, number.constData());
        out.Value(2, Keys::InputName, Latin1(fields.input.names[at]));
        out.Value(2, Keys::VideoSource,
                  Format::CodeText(Format::VideoSources, Pick(row.video, record.videoSource)));
        out.Value(
            2, Keys::VideoFormat,
            Format::CodeText(Format::VideoFormats, Pick(row.videoFormat, record.videoFormat)));
        out.Value(
            2, Keys::AnalogSource,
            Format::CodeText(Format::AnalogSources, Pick(row.analogAudio, record.analogSource)));
        out.Value(2, Keys::AnalogGain,
                  Format::CodeText(Format::AnalogGains, Pick(row.analogGain, record.analogGain)));
        out.Value(
            2, Keys::DigitalSource,
            Format::CodeText(Format::DigitalSources, Pick(row.digitalAudio, record.digitalSource)));
        out.Value(2, Keys::Trigger1,
                  Format::CodeText(Format::Triggers, Pick(row.trigger1, record.trigger1)));
        out.Value(2, Keys::Trigger2,
                  Format::CodeText(Format::Triggers, Pick(row.trigger2, record.trigger2)));
        out.Close(1, number.constData());
    }
    out.Close(1, Format::InputSettingsTag);
}

void WriteSurroundModes(Lines& out, const SetupFields& fields)
{
    out.Open(1, Format::SurroundModesTag);
    for (int d = 0; d < SettingsImage::InputRecordCount; ++d) {
        const SettingsImage::SurroundModes& codes =
            fields.surround.codes[static_cast<std::size_t>(d)];
        const auto twoChannel = [](int code) {
            const QByteArray name = Format::TwoChannelName(code < 0 ? 0 : code);
            return name.isEmpty() ? QByteArray::number(code) : name;
        };
        out.Empty();
        out.Tag(2, QByteArray(Keys::Input.name) + Keys::Input.separator + QByteArray::number(d));
        out.Within(QStringLiteral("Input %1").arg(d + 1));
        out.Value(2, Keys::Stereo, twoChannel(codes.stereo));
        out.Value(2, Keys::Dts, Format::CodeText(Format::MultichannelModes, codes.dts));
        out.Value(2, Keys::DolbyTwoChannel, twoChannel(codes.dolbyTwoChannel));
        out.Value(2, Keys::DolbyOthers,
                  Format::CodeText(Format::MultichannelModes, codes.dolbyOthers));
    }
    out.Close(1, Format::SurroundModesTag);
}

void WriteSpeakers(Lines& out, const SpeakerFields& speaker, const SetupFlags& flags)
{
    const bool metres = speaker.distanceUnit != SpeakerFields::Feet && speaker.distanceUnit >= 0;
    const bool subwoofer = speaker.HasSubwoofer(flags);
    // Below v1.23 the subwoofer byte is one list: Off, then the crossovers.
    const int crossover =
        flags.separateSubwoofer ? speaker.crossover : speaker.subwooferCombined - 1;
    out.Empty();
    out.Open(1, Format::SpeakerSetupTag);
    out.Value(2, Keys::SpeakerUnits, Format::CodeText(Format::SpeakerUnits, speaker.distanceUnit));
    out.Value(2, Keys::FrontSpeakers, Format::CodeText(Format::FrontSizes, speaker.frontSize));
    out.Value(2, Keys::CenterSpeaker, Format::CodeText(Format::SpeakerSizes, speaker.center));
    out.Value(2, Keys::SurroundSpeakers, Format::CodeText(Format::SpeakerSizes, speaker.surround));
    out.Value(2, Keys::BackSpeakers, Format::CodeText(Format::SpeakerSizes, speaker.back));
    out.Value(2, Keys::FrontDistance, Format::DistanceText(speaker.frontDistance, metres));
    out.Value(2, Keys::CenterDistance, Format::DistanceText(speaker.centerDistance, metres));
    out.Value(2, Keys::SurroundDistance, Format::DistanceText(speaker.surroundDistance, metres));
    out.Value(2, Keys::BackDistance, Format::DistanceText(speaker.backDistance, metres));
    out.Value(2, Keys::BackSpeakersSetup, Format::CodeText(Format::BackSetups, speaker.backCount));
    out.Value(2, Keys::Subwoofer, Format::CodeText(Format::OffOn, subwoofer ? 1 : 0));
    if (subwoofer)
        out.Value(2, Keys::SubwooferCutoff, Format::CodeText(Format::Cutoffs, crossover));
    out.Value(2, Keys::EnhancedBass, Format::CodeText(Format::OffOn, speaker.enhancedBass));
    out.Close(1, Format::SpeakerSetupTag);
}

void WriteLevels(Lines& out, const LevelFields& level)
{
    const auto code = [&level](LevelFields::Channel channel) {
        return level.levels[static_cast<std::size_t>(channel)];
    };
    out.Empty();
    out.Open(1, Format::LevelSetupTag);
    out.Value(2, Keys::FrontLeft, Format::LevelText(code(LevelFields::FrontLeft)));
    out.Value(2, Keys::FrontRight, Format::LevelText(code(LevelFields::FrontRight)));
    out.Value(2, Keys::Center, Format::LevelText(code(LevelFields::Center)));
    out.Value(2, Keys::SurroundLeft, Format::LevelText(code(LevelFields::SurroundLeft)));
    out.Value(2, Keys::SurroundRight, Format::LevelText(code(LevelFields::SurroundRight)));
    out.Value(2, Keys::BackLeft, Format::LevelText(code(LevelFields::BackLeft)));
    out.Value(2, Keys::BackRight, Format::LevelText(code(LevelFields::BackRight)));
    out.Value(2, Keys::SubwooferLevel, Format::LevelText(code(LevelFields::Subwoofer)));
    out.Value(2, Keys::Treble, Format::ToneText(level.treble));
    out.Value(2, Keys::Bass, Format::ToneText(level.bass));
    out.Close(1, Format::LevelSetupTag);
}

void WriteEnhancedStereo(Lines& out, const char* tag, const ListeningModeFields::Channels& channels)
{
    out.Empty();
    out.Open(2, tag);
    for (std::size_t c = 0; c < channels.size(); ++c)
        out.Value(3, Keys::EnhancedStereoChannels[c], Format::CodeText(Format::OffOn, channels[c]));
    out.Close(2, tag);
}

void WriteListeningModes(Lines& out, const ListeningModeFields& listening, const SetupFlags& flags)
{
    out.Empty();
    out.Open(1, Format::ListeningModesTag);
    out.Value(2, Keys::Dimension, Format::CodeText(Format::Dimensions, listening.dimension));
    out.Value(2, Keys::CenterWidth, QByteArray::number(std::max(listening.centerWidth, 0)));
    out.Value(2, Keys::Panorama, Format::CodeText(Format::OffOn, listening.panorama));
    if (flags.neo6CenterGain) {
        out.Empty();
        out.Value(2, Keys::CenterGain, Format::CodeText(Format::CenterGains, listening.centerGain));
    }
    if (flags.newFirmware) {
        WriteEnhancedStereo(out, Format::EnhancedStereo1Tag, listening.enhancedStereo1);
        WriteEnhancedStereo(out, Format::EnhancedStereo2Tag, listening.enhancedStereo2);
    }
    out.Close(1, Format::ListeningModesTag);
}

void WriteAdvanced(Lines& out, const AdvancedFields& advanced, const SetupFlags& flags)
{
    out.Empty();
    out.Open(1, Format::AdvancedTag);
    out.Value(2, Keys::MainZoneDsp, Format::CodeText(Format::MainZoneDsps, advanced.mainZoneDsp));
    out.Value(2, Keys::AutoTrigger, Format::CodeText(Format::AutoTriggers, advanced.autoTrigger));
    if (flags.newFirmware) {
        const int control = advanced.volumeControl == AdvancedFields::VolumeFixed
                                ? AdvancedFields::VolumeFixed
                                : AdvancedFields::VolumeVariable;
        out.Value(2, Keys::ZoneVolumeControl,
                  Format::CodeText(Format::ZoneVolumeControls, control));
        out.Value(2, Keys::ZoneRelay, Format::CodeText(Format::ZoneRelays, advanced.relay));
    }
    out.Empty();
    out.Value(2, Keys::DolbyExMode, Format::CodeText(Format::AutoOn, advanced.surroundExMode));
    out.Value(2, Keys::DolbyDynamicRange,
              Format::CodeText(Format::DolbyDynamicRanges, advanced.dolbyDynamicRange));
    if (flags.dtsDynamicRange) {
        out.Value(2, Keys::DtsEsMatrix, Format::CodeText(Format::AutoOn, advanced.dtsEsMatrix));
        out.Value(2, Keys::DtsDynamicRange,
                  Format::CodeText(Format::OffOn, advanced.dtsDynamicRange));
    }
    out.Empty();
    out.Value(2, Keys::OsdBackground, Format::CodeText(Format::OffOn, advanced.background));
    out.Value(2, Keys::TemporaryOsd, Format::CodeText(Format::OffOn, advanced.temporaryOsd));
    out.Close(1, Format::AdvancedTag);
}

bool IsBlockNumber(int presetNumber)
{
    return presetNumber >= 0 && presetNumber <= 5;
}

} // namespace

SettingsFileWriter::Unit SettingsFileWriter::Unit::Of(const ModelFacts& facts, bool a, bool b)
{
    return Unit{facts.modelText, facts.versionText, a, b};
}

namespace {

void WriteBlock(Lines& out, const SettingsFileWriter::Unit& unit, int presetNumber,
                const SettingsImage& image, const SetupFields& fields, const SetupFlags& flags)
{
    const QByteArray presetTag = Format::PresetTag + QByteArray::number(presetNumber);
    if (presetNumber == 0) {
        WriteHeader(out, unit);
        WriteInputs(out, image, fields);
    } else {
        out.Empty();
        out.Empty();
        out.Open(1, presetTag.constData());
        WriteSurroundModes(out, fields);
    }
    WriteSpeakers(out, fields.speaker, flags);
    WriteLevels(out, fields.level);
    WriteListeningModes(out, fields.listening, flags);
    WriteAdvanced(out, fields.advanced, flags);
    if (presetNumber != 0) {
        out.Empty();
        out.Close(1, presetTag.constData());
    }
}

} // namespace

QByteArray SettingsFileWriter::BlockText(const Unit& unit, int presetNumber,
                                         const SettingsImage& image, const SetupFields& fields,
                                         const SetupFlags& flags)
{
    if (!IsBlockNumber(presetNumber))
        return QByteArray();
    Lines out;
    WriteBlock(out, unit, presetNumber, image, fields, flags);
    return out.text;
}

QByteArray SettingsFileWriter::BlockText(
    const Unit& unit, int presetNumber, const SettingsImage& image,
    const std::array<QString, SettingsImage::InputRecordCount>& inputNames)
{
    const SetupFlags flags = SetupFlags::For(image.Facts(), presetNumber);
    SetupFields fields = SetupFields::Load(image, flags);
    fields.input.names = inputNames;
    return BlockText(unit, presetNumber, image, fields, flags);
}

QList<SettingsFileWriter::Entry> SettingsFileWriter::BlockEntries(int presetNumber,
                                                                  const SettingsImage& image)
{
    QList<Entry> entries;
    if (!IsBlockNumber(presetNumber))
        return entries;
    const SetupFlags flags = SetupFlags::For(image.Facts(), presetNumber);
    const SetupFields fields = SetupFields::Load(image, flags);
    Lines out(&entries);
    WriteBlock(out, Unit{}, presetNumber, image, fields, flags);
    // The names are compared on their own, in the unit's terms.
    entries.removeIf(
        [](const Entry& entry) { return entry.key == QLatin1String(Keys::InputName.name); });
    return entries;
}

QByteArray SettingsFileWriter::TunerText(const TunerPresetList& presets)
{
    return TunerPresetFile::SectionText(presets, TunerIndent);
}

QByteArray SettingsFileWriter::EndText()
{
    return QByteArray(Format::RootEndTag);
}

SettingsFileWriter::Unit SettingsFileWriter::Unit::Of(const UnitConfiguration& configuration)
{
    return Unit{configuration.modelText, configuration.versionText, configuration.speakerA,
                configuration.speakerB};
}

QByteArray SettingsFileWriter::FileText(const UnitConfiguration& configuration)
{
    const Unit unit = Unit::Of(configuration);
    QByteArray text;
    if (configuration.currentSetup)
        text = BlockText(unit, 0, *configuration.currentSetup, configuration.inputNames);
    for (int k = 1; k <= UnitConfiguration::PresetCount; ++k) {
        if (configuration.Preset(k))
            text += BlockText(unit, k, *configuration.Preset(k));
    }
    return text + TunerText(configuration.tuner.value_or(TunerPresetList{})) + EndText();
}
