#pragma once

#include <QString>

// The program's message texts by number, read once from the message table
// resource. Dialogs and message boxes take their texts from here, and tests
// compare against these texts rather than copies.
namespace Message {
inline constexpr int StorePresetConfirm = 16400;
inline constexpr int SizeMismatch = 16425;
inline constexpr int NeedsFirmware205 = 16435;
inline constexpr int UnsupportedUnit = 16437;
inline constexpr int PresetEmpty = 17000;
inline constexpr int ReadingCurrentSetup = 17001; // %1 model name
inline constexpr int ReadingPreset = 17002;       // %1 preset number, %2 model name
inline constexpr int ReadingTunerPresets = 17003; // %1 model name
inline constexpr int WritingCurrentSetup = 17004; // %1 model name
inline constexpr int WritingPreset = 17005;       // %1 preset number, %2 model name
inline constexpr int WritingEeprom = 17006;       // %1 bytes sent so far, %2 bytes in all
inline constexpr int BlockSizeUnknown = 17007;
inline constexpr int BlockSizeInvalid = 17008; // %1 the size the unit reported
inline constexpr int BlockMismatch = 17010;    // %1 bytes in the image, %2 the unit's size
inline constexpr int ReadLost = 17011;
inline constexpr int WriteLost = 17012;     // %1 bytes confirmed from the start, %2 bytes in all
inline constexpr int WriteRefused = 17013;  // %1 refused bytes, %2 bytes in all, %3 the addresses
inline constexpr int LiveClamped = 17014;   // %1 the setup positions
inline constexpr int ReadingEeprom = 17015; // %1 first address, %2 last address, %3 model name

// The Tuner Presets dialog and its New Tuner Preset dialog.
inline constexpr int NoPresetsToDelete = 17100;
inline constexpr int SelectLineToDelete = 17101;
inline constexpr int NotTunerPresetFile = 17102;
inline constexpr int PresetExists = 17103;
inline constexpr int TunerFileUnreadable = 17104; // %1 path, %2 reason
inline constexpr int TunerFileUnwritable = 17105; // %1 path, %2 reason
inline constexpr int TunerFileCutOff = 17106;
inline constexpr int TunerPresetsSnapped = 17107; // %1 presets changed, %2 the unit's AM step

// Desktop integration.
inline constexpr int PortPermissionDenied = 17110;        // %1 device path, %2 its group
inline constexpr int PortPermissionDeniedNoGroup = 17111; // %1 device path
inline constexpr int TrayUnavailable = 17112;

// Why a port could not be opened; %1 the device path.
inline constexpr int PortInUseBy = 17130; // %2 program name, %3 process id
inline constexpr int PortInUse = 17131;
inline constexpr int PortMissing = 17132;
inline constexpr int PortNoPermission = 17133;
inline constexpr int PortNotOpened = 17134;

// Settings files.
inline constexpr int NotSettingsFile = 17200;
inline constexpr int ModelMismatch = 17201; // %1 the model the file was saved for
inline constexpr int ProcessingAborted = 17202;
inline constexpr int SettingsSaved = 17203;
inline constexpr int LoadConfirm = 17204;
inline constexpr int FileUnreadable = 17205; // %1 the system's reason
inline constexpr int FileEndedEarly = 17206;
inline constexpr int SettingsFileFilter = 17207; // the file dialogs' filter
inline constexpr int SaveIncomplete = 17208;     // %1 why
inline constexpr int FileUnwritable = 17209;     // %1 the system's reason
// %1 writes done, %2 writes in all, %3 the first not done
inline constexpr int LoadIncomplete = 17210;
inline constexpr int TransferCancelled = 17211;
inline constexpr int BlocksMissing = 17212;
inline constexpr int PartInputName = 17213; // %1 input number 1..10
inline constexpr int PartPreset = 17214;    // %1 preset number
inline constexpr int PartTunerPresets = 17215;
inline constexpr int PartCurrentSetup = 17216;
inline constexpr int CurrentSetupNotInFile = 17217;
inline constexpr int AmStepUnread = 17218;
inline constexpr int UnitMatchesFile = 17219;
inline constexpr int CompareTitle = 17220;
inline constexpr int CompareDifferences = 17221; // %1 "1 difference", "3 differences"
inline constexpr int CompareFailed = 17222;      // %1 why

// The command line program's own lines on stderr.
inline constexpr int CliNoUnit = 17300;      // %1 port setting, %2 seconds
inline constexpr int CliUnsupported = 17301; // %1 port, %2 model text
inline constexpr int CliUnitSilent = 17302;  // %1 seconds
inline constexpr int CliConnectionLost = 17303;
inline constexpr int CliInterrupted = 17305;
inline constexpr int CliTraceFailed = 17306;   // %1 path, %2 reason
inline constexpr int CliFailed = 17307;        // %1 what failed
inline constexpr int CliModelMismatch = 17308; // %1 file, %2 the question's first line
inline constexpr int CliVerifyFailed = 17309;  // %1 "1 difference", "3 differences"
} // namespace Message

class MessageTable
{
public:
    // The text of a message; an unknown number gives an empty text.
    static QString Text(int id);
};
