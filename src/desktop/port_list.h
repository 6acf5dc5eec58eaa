#pragma once

#include <QList>
#include <QString>

// The choices of the "RS-232 Port:" list: "Auto Detect", then the serial ports present on the
// machine (their device path with the adapter's description), then "COM1" ... "COM8"
// (/dev/ttyS0 ... /dev/ttyS7). Any other name or path may still be typed.
class PortList
{
public:
    // A serial device present on the machine.
    struct Present
    {
        QString path;        // "/dev/ttyUSB0"
        QString description; // "FT232R USB UART"; may be empty
    };

    // One entry of the list: its text, and the port setting it stands for.
    struct Item
    {
        QString text;
        QString port;
    };

    static constexpr int ComPorts = 8;

    // The serial devices present now, sorted by path (numbers in order).
    static QList<Present> PresentPorts();

    // The list's entries. Present devices that are COM1 ... COM8 appear
    // under those names only.
    static QList<Item> Items(const QList<Present>& present);

    // The port setting for the text in the list's field: the port of the
    // entry showing that text, else the text as typed; an empty or blank
    // text means "Auto Detect".
    static QString PortOf(const QList<Item>& items, const QString& text);
    // The entry that stands for a port setting, or -1.
    static int IndexOf(const QList<Item>& items, const QString& port);
};
