#include "desktop/port_list.h"

#include "link/serial_port.h"
#include "unit/unit_session.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

QString ComName(int number)
{
    return QStringLiteral("COM%1").arg(number);
}

bool IsComAlias(const QString& path)
{
    for (int n = 1; n <= PortList::ComPorts; ++n) {
        if (path == SerialPort::DevicePath(ComName(n)))
            return true;
    }
    return false;
}

} // namespace

QList<PortList::Present> PortList::PresentPorts()
{
    QList<Present> present;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports)
        present.append({info.systemLocation(), info.description().trimmed()});
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(present.begin(), present.end(), [&collator](const Present& a, const Present& b) {
        return collator.compare(a.path, b.path) < 0;
    });
    return present;
}

QList<PortList::Item> PortList::Items(const QList<Present>& present)
{
    const QString autoDetect = QString::fromLatin1(UnitSession::AutoDetect);
    QList<Item> items{{autoDetect, autoDetect}};
    for (const Present& port : present) {
        if (port.path.isEmpty() || IsComAlias(port.path))
            continue;
        const QString text = port.description.isEmpty()
                                 ? port.path
                                 : QStringLiteral("%1 (%2)").arg(port.path, port.description);
        items.append({text, port.path});
    }
    for (int n = 1; n <= ComPorts; ++n)
        items.append({ComName(n), ComName(n)});
    return items;
}

QString PortList::PortOf(const QList<Item>& items, const QString& text)
{
    if (text.trimmed().isEmpty())
        return QString::fromLatin1(UnitSession::AutoDetect);
    for (const Item& item : items) {
        if (item.text == text)
            return item.port;
    }
    return text;
}

int PortList::IndexOf(const QList<Item>& items, const QString& port)
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].port == port)
            return static_cast<int>(i);
    }
    return -1;
}
