#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>

// The settings file: tagged single-byte text holding a receiver's current
// setup, its A/V presets that are not empty and its tuner presets. The
// writer and the reader share these names, separators and value lists, so
// the two can never disagree on a spelling.
//
// Every line the writer produces ends in CR CR LF, written as bytes on every
// platform (the embedded tuner preset section ends its lines in CR LF); the
// last line, the root end tag, has no line end. Readers take LF, CR LF and
// CR CR LF alike.
namespace SettingsFileFormat {

inline constexpr char Extension[] = "vxf";
inline constexpr char LineEnd[] = "\r\r\n";

inline constexpr char RootTag[] = "<VELTRIX>";
inline constexpr char RootEndTag[] = "</VELTRIX>";
inline constexpr char InputSettingsTag[] = "INPUT_SETTINGS";
inline constexpr char PresetTag[] = "PRESET_";
inline constexpr char SurroundModesTag[] = "SURROUND_MODES";
inline constexpr char SpeakerSetupTag[] = "SPEAKERSETUP";
inline constexpr char LevelSetupTag[] = "LEVELSETUP";
inline constexpr char ListeningModesTag[] = "LISTENINGMODES";
inline constexpr char AdvancedTag[] = "ADVANCED";
// Spelled so in every file the unit family's program has written.
inline constexpr char EnhancedStereo1Tag[] = "EHNANCED_STEREO_1";
inline constexpr char EnhancedStereo2Tag[] = "EHNANCED_STEREO_2";

// A key line: indentation, the key, its separator, the value.
struct Key
{
    const char* name;
    const char* separator;
};

namespace Keys {
inline constexpr char TwoSpacesTwoTabs[] = "  \t\t";
inline constexpr char TwoSpacesOneTab[] = "  \t";
inline constexpr char FourSpacesOneTab[] = "    \t";

inline constexpr Key Model{"Model", " \t\t\t"};
inline constexpr Key OriginalFirmware{"Original Firmware", " \t"};
inline constexpr Key SpeakerA{"Speaker A", " \t\t"};
inline constexpr Key SpeakerB{"Speaker B", " \t\t"};

inline constexpr Key InputName{"InputName", " \t"};
inline constexpr Key VideoSource{"VideoSource", " \t"};
inline constexpr Key VideoFormat{"VideoFormat", " \t"};
inline constexpr Key AnalogSource{"AnalogSource", " \t"};
inline constexpr Key AnalogGain{"AnalogGain", " \t"};
inline constexpr Key DigitalSource{"DigitalSource", " \t"};
inline constexpr Key Trigger1{"Trigger 1", " \t"};
inline constexpr Key Trigger2{"Trigger 2", " \t"};

inline constexpr Key Input{"Input", " "};
inline constexpr Key Stereo{"Stereo", " \t\t\t"};
inline constexpr Key Dts{"DTS", " \t\t\t"};
inline constexpr Key DolbyTwoChannel{"Dolby Digital 2 chan", " \t"};
inline constexpr Key DolbyOthers{"Dolby Digital others", " \t"};

inline constexpr Key SpeakerUnits{"SpeakerUnits", TwoSpacesTwoTabs};
inline constexpr Key FrontSpeakers{"FrontSpeakers", TwoSpacesTwoTabs};
inline constexpr Key CenterSpeaker{"CenterSpeaker", TwoSpacesTwoTabs};
inline constexpr Key SurroundSpeakers{"SurroundSpeakers", TwoSpacesOneTab};
inline constexpr Key BackSpeakers{"BackSpeakers", TwoSpacesTwoTabs};
inline constexpr Key FrontDistance{"FrontDistance", TwoSpacesTwoTabs};
inline constexpr Key CenterDistance{"CenterDistance", TwoSpacesOneTab};
inline constexpr Key SurroundDistance{"SurroundDistance", TwoSpacesOneTab};
inline constexpr Key BackDistance{"BackDistance", TwoSpacesTwoTabs};
inline constexpr Key BackSpeakersSetup{"Back Speakers Setup", TwoSpacesOneTab};
inline constexpr Key Subwoofer{"Subwoofer", TwoSpacesTwoTabs};
inline constexpr Key SubwooferCutoff{"Subwoofer Cutoff", TwoSpacesOneTab};
inline constexpr Key EnhancedBass{"Enhanced Bass", FourSpacesOneTab};

inline constexpr Key FrontLeft{"FrontLeft", TwoSpacesOneTab};
inline constexpr Key FrontRight{"FrontRight", TwoSpacesOneTab};
inline constexpr Key Center{"Center", TwoSpacesOneTab};
inline constexpr Key SurroundLeft{"SurroundLeft", TwoSpacesOneTab};
inline constexpr Key SurroundRight{"SurroundRight", TwoSpacesOneTab};
inline constexpr Key BackLeft{"BackLeft", TwoSpacesOneTab};
inline constexpr Key BackRight{"BackRight", TwoSpacesOneTab};
inline constexpr Key SubwooferLevel{"Subwoofer", TwoSpacesOneTab};
inline constexpr Key Treble{"Treble", TwoSpacesOneTab};
inline constexpr Key Bass{"Bass", TwoSpacesTwoTabs};

inline constexpr Key Dimension{"ProLogic2 Music Mode - Dimension", TwoSpacesOneTab};
inline constexpr Key CenterWidth{"ProLogic2 Music Mode - CenterWidth", TwoSpacesOneTab};
inline constexpr Key Panorama{"ProLogic2 Music Mode - Panorama", TwoSpacesOneTab};
inline constexpr Key CenterGain{"NEO:6 Music Mode Center Gain", TwoSpacesTwoTabs};
// The channels of an Enhanced Stereo subsection, in the order of their bits.
inline constexpr std::array<Key, 4> EnhancedStereoChannels{{{"Front", TwoSpacesTwoTabs},
                                                            {"Center", TwoSpacesOneTab},
                                                            {"Surround", TwoSpacesOneTab},
                                                            {"Back", TwoSpacesTwoTabs}}};

inline constexpr Key MainZoneDsp{"Main/Zone DSP", TwoSpacesTwoTabs};
inline constexpr Key AutoTrigger{"Auto Trigger", TwoSpacesTwoTabs};
inline constexpr Key ZoneVolumeControl{"Zone Volume Control", TwoSpacesOneTab};
inline constexpr Key ZoneRelay{"Zone Relay", TwoSpacesTwoTabs};
inline constexpr Key DolbyExMode{"Dolby EX Mode", TwoSpacesTwoTabs};
inline constexpr Key DolbyDynamicRange{"Dolby Dynamic Range", TwoSpacesOneTab};
inline constexpr Key DtsEsMatrix{"DTS-ES Matrix", TwoSpacesTwoTabs};
inline constexpr Key DtsDynamicRange{"DTS Dynamic Range", TwoSpacesOneTab};
inline constexpr Key OsdBackground{"OSD Background", TwoSpacesOneTab};
inline constexpr Key TemporaryOsd{"Temporary OSD Display", TwoSpacesOneTab};
} // namespace Keys

// Value lists: the text of code c is entry c. A code beyond its list is
// written as its decimal number (see CodeText), which the reader takes back
// as that code.
template <std::size_t N> using List = std::array<const char*, N>;

inline constexpr List<2> OffOn{"Off", "On"};
inline constexpr List<2> AutoOn{"Auto", "On"};
inline constexpr List<7> VideoSources{"Off", "DVD", "Sat", "VCR", "Video 4", "Video 5", "Video 6"};
inline constexpr List<3> VideoFormats{"COMPOSITE", "S-VIDEO", "COMPONENT"};
inline constexpr List<11> AnalogSources{"Off",     "DVD", "Sat",  "VCR",    "Video 4", "Video 5",
                                        "Video 6", "CD",  "Disc", "Ext7.1", "Tuner"};
inline constexpr List<9> AnalogGains{"-12 dB", "-9 dB", "-6 dB", "-3 dB", "0 dB",
                                     "+3 dB",  "+6 dB", "+9 dB", "+12 dB"};
inline constexpr List<7> DigitalSources{"Off",    "Optical 1", "Optical 2", "Coax 3",
                                        "Coax 4", "Coax 5",    "Coax 6"};
inline constexpr List<4> Triggers{"Off", "Main", "Zone", "Both"};
inline constexpr List<2> SpeakerUnits{"ft", "m"};
inline constexpr List<2> FrontSizes{"Small", "Large"};
inline constexpr List<3> SpeakerSizes{"None", "Small", "Large"};
inline constexpr List<2> BackSetups{"L", "L/R"};
inline constexpr List<7> Cutoffs{"40 Hz", "60 Hz", "80 Hz", "100 Hz", "120 Hz", "150 Hz", "200 Hz"};
inline constexpr List<7> Dimensions{"-3", "-2", "-1", "0", "+1", "+2", "+3"};
inline constexpr List<6> CenterGains{"0.0", "0.1", "0.2", "0.3", "0.4", "0.5"};
inline constexpr List<2> MainZoneDsps{"7.1/Off", "5.1/2.0"};
inline constexpr List<3> AutoTriggers{"Main", "Zone", "Both"};
inline constexpr List<2> ZoneVolumeControls{"Fixed", "Variable"};
inline constexpr List<3> ZoneRelays{"None", "A", "B"};
inline constexpr List<4> DolbyDynamicRanges{"100%", "75%", "50%", "25%"};
inline constexpr List<4> MultichannelModes{"Direct", "Downmix", "Enhanced Stereo 1",
                                           "Enhanced Stereo 2"};
// The two-channel mode names, in the order of their codes (see
// TwoChannelName and TwoChannelCode for the codes).
inline constexpr List<12> TwoChannelModes{"Direct",
                                          "Pro Logic",
                                          "Pro Logic II: Movie",
                                          "Pro Logic II: Music",
                                          "Pro Logic IIx: Movie",
                                          "Pro Logic IIx: Music",
                                          "DTS NEO:6 Cinema",
                                          "DTS NEO:6 Music",
                                          "Matrix 7.1",
                                          "EARS",
                                          "Enhanced Stereo 1",
                                          "Enhanced Stereo 2"};

// Lists whose texts follow a rule rather than a table.
inline constexpr int LevelCount = 25;    // "-12 dB" .. "+12 dB", code = dB + 12
inline constexpr int ToneCount = 11;     // "-10 dB" .. "+10 dB" in 2 dB steps
inline constexpr int DistanceCount = 40; // "1 ft" .. "40 ft" or "0.3 m" .. "12.0 m"

// The text of `code` in `list`; a code outside the list gives its decimal
// number, a negative one (a field the block lacks) the first entry.
template <std::size_t N> QByteArray CodeText(const List<N>& list, int code)
{
    if (code < 0)
        code = 0;
    if (static_cast<std::size_t>(code) < N)
        return QByteArray(list[static_cast<std::size_t>(code)]);
    return QByteArray::number(code);
}

QByteArray LevelText(int code);
QByteArray ToneText(int code);
QByteArray DistanceText(int code, bool metres);

// Two-channel modes (stereo and Dolby Digital 2-channel nibbles). One
// mapping serves both fields, the codes of the Surround Modes page with
// PLIIx: Direct 0, Pro Logic 2, Pro Logic II: Movie 3, Pro Logic II: Music 4,
// Pro Logic IIx: Movie 6, Pro Logic IIx: Music 7, DTS NEO:6 Cinema 8,
// DTS NEO:6 Music 9, Matrix 7.1 10, EARS 11, Enhanced Stereo 1 12,
// Enhanced Stereo 2 13. The codes without an item of their own are named
// after the item the page shows for them: 1 "Pro Logic", 5 "Pro Logic II:
// Music". Codes 14 and 15 have no name (empty result).
QByteArray TwoChannelName(int code);
// The code of a name (letter case ignored), -1 for a text that is none.
int TwoChannelCode(QStringView name);

} // namespace SettingsFileFormat
