#pragma once

#include "desktop/options.h"
#include "link/message_set.h"
#include "panel/control_panel_dlg.h"
#include "panel/spin_arrows.h"
#include "scripted_unit.h"
#include "test_bytes.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <initializer_list>
#include <memory>

using namespace Qt::StringLiterals;

// Object names written as one text: Names("mainMute bass").
inline QStringList Names(const char* names)
{
    return QString::fromLatin1(names).split(u' ', Qt::SkipEmptyParts);
}

inline QByteArray Report(int variable, int value)
{
    return Bytes({MessageType::Variable, variable, value});
}

inline QByteArray Report16(int variable, int value)
{
    return Bytes({MessageType::Variable, variable, value & 0xFF, value >> 8});
}

inline QByteArray ModelReport(const char* model)
{
    return Bytes({MessageType::Variable, Variable::Model}) + QByteArray(model);
}

// A control panel connected to a scripted unit over a pseudo-terminal, with
// short timings. The unit answers the handshake (identity, version, block
// size, the default input names) and nothing else, so after Ready() the line
// is quiet: a test feeds reports straight into the session and reads the
// payloads the panel sends.
class PanelFixture
{
public:
    explicit PanelFixture(const QByteArray& model = "K220")
    {
        unit.SetResponder([identify = ScriptedUnit::Identifying(model, 2, 5)](
                              const QByteArray& request) -> QList<QByteArray> {
            if (request.size() == 4 && request[0] == MessageType::Eeprom && request[1] == 0)
                return {Bytes({MessageType::Eeprom, request[2], request[3], 0})};
            if (request.size() == 3 && request[0] == MessageType::Variable &&
                request[1] == Variable::InputName && request[2] >= 0 && request[2] < InputCount)
                return {request + DefaultSourceNames[static_cast<std::size_t>(request[2])]};
            return identify(request);
        });
        Options options;
        options.port = unit.SlavePath();
        panel = std::make_unique<ControlPanelDlg>(options, false);
        UnitSession::Timing timing;
        timing.connectPeriod = 100;
        timing.refreshPause = 10;
        timing.port.readInterval = 20;
        timing.port.readTotal = 60000; // no silence probes during a test
        timing.port.writeTotal = 500;
        timing.transfer.retry = 60;
        timing.transfer.pace = 40;
        panel->Session().SetTiming(timing);
        panel->Initialise();
        sent = std::make_unique<QSignalSpy>(&panel->Session().Link(), &UnitLink::payloadSent);
    }

    // The handshake is over and the line is quiet.
    bool Ready()
    {
        const LiveStatus& status = panel->Session().Status();
        auto ready = [&] {
            return status.connected && status.facts.blockSize > 0 &&
                   !status.inputNames[InputCount - 1].isEmpty();
        };
        // qWait rather than qWaitFor: the latter sleeps between passes
        // without serving the line, long enough to miss the unit's answer
        // within one connection period.
        QDeadlineTimer deadline(10000);
        while (!ready() && !deadline.hasExpired())
            QTest::qWait(20);
        return ready();
    }

    void Feed(const QByteArray& payload) { panel->Session().Dispatch(payload); }
    void Feed(std::initializer_list<QByteArray> payloads)
    {
        for (const QByteArray& p : payloads)
            Feed(p);
    }

    // Both rooms off, no tuner: the state every test starts from.
    void Reset()
    {
        Feed({ModelReport("K220"), Report(Variable::MainPower, 0), Report(Variable::ZonePower, 0),
              Report(Variable::MainSource, 6)});
        ClearSent();
    }

    QList<QByteArray> Sent() const
    {
        QList<QByteArray> out;
        for (const QList<QVariant>& args : *sent)
            out.append(args.at(0).toByteArray());
        return out;
    }
    void ClearSent() { sent->clear(); }

    template <typename T = QWidget> T* Find(const QString& name) const
    {
        return panel->findChild<T*>(name);
    }
    QAbstractButton* Button(const QString& name) const { return Find<QAbstractButton>(name); }
    QLineEdit* Field(const QString& name) const { return Find<QLineEdit>(name); }
    bool Checked(const QString& name) const { return Button(name)->isChecked(); }
    bool Enabled(const QString& name) const { return Find(name)->isEnabled(); }
    QString Text(const QString& name) const { return Field(name)->text(); }

    // Clicks a control by object name; "name/up" and "name/down" are the
    // arrows of a spin.
    void Click(const QString& target) const
    {
        const QStringList parts = target.split(u'/');
        QWidget* widget = nullptr;
        if (parts.size() == 2) {
            auto* spin = Find<SpinArrows>(parts[0]);
            if (spin)
                widget = parts[1] == QLatin1String("up") ? spin->UpArrow() : spin->DownArrow();
        } else {
            widget = Find(target);
        }
        QVERIFY2(widget, qPrintable(target));
        QVERIFY2(widget->isEnabled(), qPrintable(target + u" is disabled"_s));
        QTest::mouseClick(widget, Qt::LeftButton, {}, Near(widget));
    }

    // A point on a control's indicator or text: check boxes and radio
    // buttons stretched by the layout ignore clicks on their empty right end.
    static QPoint Near(const QWidget* widget)
    {
        return {std::min(8, widget->width() / 2), widget->height() / 2};
    }

    ScriptedUnit unit;
    std::unique_ptr<ControlPanelDlg> panel;

private:
    std::unique_ptr<QSignalSpy> sent;
};
