#pragma once

// A station the simulated tuner receives. FM frequencies are in 10 kHz units,
// AM in kHz. psName and radioText are empty for a station without RDS.
struct Station
{
    int band = 0;
    int frequency = 0;
    const char* psName = "";    // 8 characters when present
    const char* radioText = ""; // at most 64 characters
};

// The stations on air where the simulated unit stands: what seek finds and
// what RDS the tuner decodes. The list is fixed and sorted by band and
// frequency.
class StationList
{
public:
    // The station on that frequency, or nullptr.
    static const Station* Find(int band, int frequency);
    // The next station above (or below) the frequency in the band, wrapping
    // at the band's end; nullptr when the band has no station.
    static const Station* Seek(int band, int frequency, bool up);
    // Station i (0..Count()-1).
    static const Station& At(int index);
    static int Count();
};
