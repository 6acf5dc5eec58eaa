#include "setup_fields.h"

int SetupFields::ToneFromCode(int code)
{
    if (code < 0 || code > ToneCode(ToneLimit))
        return -1;
    return code * ToneStep - ToneLimit;
}

int SetupFields::ZoneVolumeByte(int dB)
{
    return dB > -61 && dB < 18 ? dB & 0xFF : ZoneVolumeOutOfRange;
}

bool SetupFields::ZoneVolumeFromByte(int byte, int* dB)
{
    const int value = static_cast<std::int8_t>(byte & 0xFF);
    // 0xEC also reads as -20 dB; taken as the marker, a zone that was below
    // the range stays quiet instead of jumping to -20 dB.
    if (value <= -61 || value >= 18 || (byte & 0xFF) == ZoneVolumeFixed ||
        (byte & 0xFF) == ZoneVolumeOutOfRange)
        return false;
    *dB = value;
    return true;
}
