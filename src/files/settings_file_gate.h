#pragma once

class ModelFacts;

// Which units may save and load settings files. Files hold the layout of
// firmware v2.00 and later on the K110, K230 and K240 families; saving
// reads the whole unit and needs v2.05.
//
// Each function gives 0 when the command may go on, else the number of the
// message that refuses it (Message::UnsupportedUnit or
// Message::NeedsFirmware205). Without a unit the texts are empty, so both
// commands are refused as unsupported.
namespace SettingsFileGate {

int SaveRefusal(const ModelFacts& facts);
int LoadRefusal(const ModelFacts& facts);

} // namespace SettingsFileGate
