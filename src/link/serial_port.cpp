#include "link/serial_port.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <sys/ioctl.h>
#include <termios.h>

SerialPort::SerialPort(QObject* parent) : QObject(parent)
{
    for (QTimer* timer : {&readTotalTimer, &readIntervalTimer, &writeTimer}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&readTotalTimer, &QTimer::timeout, this, &SerialPort::FinishRead);
    connect(&readIntervalTimer, &QTimer::timeout, this, &SerialPort::FinishRead);
    connect(&writeTimer, &QTimer::timeout, this, &SerialPort::FinishWrite);
    connect(&port, &QSerialPort::readyRead, this, &SerialPort::ServeRead);
    connect(&port, &QSerialPort::bytesWritten, this, &SerialPort::OnBytesWritten);
    connect(&port, &QSerialPort::errorOccurred, this, &SerialPort::OnError);
}

SerialPort::~SerialPort()
{
    Close();
}

QString SerialPort::DevicePath(const QString& portName)
{
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(portName);
    if (match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

bool SerialPort::Open(const QString& portName, const Timeouts& newTimeouts)
{
    Close();
    timeouts = newTimeouts;
    const QString path = DevicePath(portName);
    port.setPortName(path);
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) {
        const QFileInfo device(path);
        openFailure =
            Classify(port.error(), device.exists(), device.isReadable() && device.isWritable());
        port.clearError();
        return false;
    }
    openFailure = OpenFailure::None;
    // A pseudo-terminal refuses both modem-line calls; that is no failure.
    port.setDataTerminalReady(true);
    port.setRequestToSend(false);
    port.clearError();
    ++opening;
    return true;
}

SerialPort::OpenFailure SerialPort::Classify(QSerialPort::SerialPortError error, bool exists,
                                             bool accessible)
{
    if (!exists || error == QSerialPort::DeviceNotFoundError)
        return OpenFailure::Missing;
    if (error == QSerialPort::PermissionError)
        return accessible ? OpenFailure::Busy : OpenFailure::PermissionDenied;
    return OpenFailure::Other;
}

bool SerialPort::Close()
{
    Discard();
    if (port.isOpen())
        port.close();
    port.clearError();
    // Discard() dropped what was not yet delivered; the new count tells
    // handlers that the opening they were called for is over.
    ++opening;
    return true;
}

void SerialPort::Drain(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // Each wait hands the port's buffer to the driver and starts the next
    // queued write from bytesWritten.
    while (port.isOpen() && !writes.empty() && port.bytesToWrite() > 0 && !deadline.hasExpired())
        port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    if (!port.isOpen())
        return;
    // Then the driver's own queue, polled: a line that never drains (a peer
    // that stopped reading) must not hold the program forever.
    constexpr int PollMs = 2;
    const int handle = static_cast<int>(port.handle());
    int pending = 0;
    while (handle >= 0 && ioctl(handle, TIOCOUTQ, &pending) == 0 && pending > 0 &&
           !deadline.hasExpired())
        QThread::msleep(PollMs);
}

bool SerialPort::IsOpen() const
{
    return port.isOpen();
}

void SerialPort::Discard()
{
    completions.clear();
    reads.clear();
    writes.clear();
    readTotalTimer.stop();
    readIntervalTimer.stop();
    writeTimer.stop();
}

bool SerialPort::QueueRead(int length, int message)
{
    if (!port.isOpen() || length <= 0)
        return false;
    reads.push_back(Request{length, message, {}, 0});
    if (reads.size() == 1)
        StartRead();
    return true;
}

bool SerialPort::QueueWrite(QByteArrayView data, int message)
{
    if (!port.isOpen() || data.isEmpty())
        return false;
    writes.push_back(Request{static_cast<int>(data.size()), message, data.toByteArray(), 0});
    if (writes.size() == 1)
        StartWrite();
    return true;
}

void SerialPort::StartRead()
{
    readIntervalTimer.stop();
    readTotalTimer.start(timeouts.readTotal);
    ServeRead();
}

void SerialPort::ServeRead()
{
    while (!reads.empty() && port.bytesAvailable() > 0) {
        Request& head = reads.front();
        head.data.append(port.read(head.length - head.data.size()));
        if (head.data.size() < head.length) {
            readIntervalTimer.start(timeouts.readInterval);
            return;
        }
        FinishRead();
    }
}

void SerialPort::FinishRead()
{
    if (reads.empty())
        return;
    readTotalTimer.stop();
    readIntervalTimer.stop();
    Request done = std::move(reads.front());
    reads.pop_front();
    if (done.message != 0)
        Post({true, done.message, done.length, static_cast<int>(done.data.size()),
              std::move(done.data)});
    if (!reads.empty())
        StartRead();
}

void SerialPort::Post(Completion completion)
{
    completions.push_back(std::move(completion));
    if (!deliveryPosted) {
        deliveryPosted = true;
        QMetaObject::invokeMethod(this, &SerialPort::Deliver, Qt::QueuedConnection);
    }
}

void SerialPort::Deliver()
{
    deliveryPosted = false;
    while (!completions.empty()) {
        Completion next = std::move(completions.front());
        completions.pop_front();
        // A handler may run a nested event loop (a modal wait, a dialog):
        // keep a delivery posted while more is queued so it goes on there.
        if (!completions.empty() && !deliveryPosted) {
            deliveryPosted = true;
            QMetaObject::invokeMethod(this, &SerialPort::Deliver, Qt::QueuedConnection);
        }
        if (next.isRead)
            Q_EMIT readCompleted(next.message, next.requested, next.data);
        else
            Q_EMIT writeCompleted(next.message, next.requested, next.transferred);
    }
}

void SerialPort::StartWrite()
{
    Request& head = writes.front();
    writeTimer.start(timeouts.writeTotal);
    if (port.write(head.data) < 0)
        FinishWrite();
}

void SerialPort::OnBytesWritten(qint64 count)
{
    if (writes.empty())
        return;
    Request& head = writes.front();
    head.done += static_cast<int>(count);
    if (head.done >= head.length)
        FinishWrite();
}

void SerialPort::FinishWrite()
{
    if (writes.empty())
        return;
    writeTimer.stop();
    Request done = std::move(writes.front());
    writes.pop_front();
    if (done.done < done.length && port.isOpen())
        port.clear(QSerialPort::Output); // timed out: the rest is not sent late
    if (done.message != 0)
        Post({false, done.message, done.length, std::min(done.done, done.length), {}});
    if (!writes.empty())
        StartWrite();
}

void SerialPort::OnError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    if (!port.isOpen())
        return;
    Close();
    QMetaObject::invokeMethod(this, &SerialPort::deviceLost, Qt::QueuedConnection);
}
