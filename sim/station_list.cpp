#include "station_list.h"

#include "link/message_set.h"

#include <array>

namespace {

constexpr std::array<Station, 16> Stations = {{
    {Band::Am, 540, "", ""},
    {Band::Am, 720, "", ""},
    {Band::Am, 900, "", ""},
    {Band::Am, 1080, "", ""},
    {Band::Fm, 8790, "CLASSIC ", "Classic 87.9 - Brahms: Symphony No. 4 in E minor, Op. 98"},
    {Band::Fm, 8870, "METRO FM", "Metro FM - traffic on the ring road: slow near exit 12"},
    {Band::Fm, 8990, "JAZZ 89 ", "Now playing: Blue in Green - Miles Davis, Kind of Blue"},
    {Band::Fm, 9150, "NEWS 24 ", "News 24 - headlines every half hour, weather at ten past"},
    {Band::Fm, 9310, "ROCK 93 ", "Rock 93 - the loudest hour of the week starts at nine"},
    {Band::Fm, 9470, "", ""},
    {Band::Fm, 9630, "HITS 96 ", "Hits 96 - call 555 0196 to win concert tickets today"},
    {Band::Fm, 9810, "COUNTRY ", "Country 98 - new music from the valley every afternoon"},
    {Band::Fm, 10030, "TALK 100", "Talk 100 - your questions answered, lines are open now"},
    {Band::Fm, 10170, "CITY 101", "City 101 - community notices and the local football"},
    {Band::Fm, 10390, "", ""},
    {Band::Fm, 10610, "CHILL 06", "Chill 106 - slow grooves for late evenings"},
}};

} // namespace

const Station* StationList::Find(int band, int frequency)
{
    for (const Station& station : Stations) {
        if (station.band == band && station.frequency == frequency)
            return &station;
    }
    return nullptr;
}

const Station* StationList::Seek(int band, int frequency, bool up)
{
    const Station* first = nullptr;
    const Station* last = nullptr;
    const Station* found = nullptr;
    for (const Station& station : Stations) {
        if (station.band != band)
            continue;
        if (!first)
            first = &station;
        last = &station;
        if (up && !found && station.frequency > frequency)
            found = &station;
        if (!up && station.frequency < frequency)
            found = &station;
    }
    if (found)
        return found;
    return up ? first : last;
}

const Station& StationList::At(int index)
{
    return Stations.at(static_cast<std::size_t>(index));
}

int StationList::Count()
{
    return static_cast<int>(Stations.size());
}
