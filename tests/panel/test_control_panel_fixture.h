#pragma once

#include "event_wait.h"
#include "panel/control_panel_dlg.h"
#include "panel/panel_features.h"
#include "panel/spin_arrows.h"
#include "scripted_unit.h"
#include "test_bytes.h"
#include "unit/unit_session.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

// Polls every millisecond (QTRY_* every 50 ms); fails after 10 s.
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

// Answers the handshake only; a test feeds the reports itself.
inline ScriptedUnit::Responder HandshakeOnly(const QByteArray& model)
{
    return [identify = ScriptedUnit::Identifying(model, 2, 5)](const QByteArray& request) {
        if (request.size() == 4 && request[0] == MessageType::Eeprom && request[1] == 0)
            return QList{Bytes({MessageType::Eeprom, request[2], request[3], 0})};
        if (request.size() == 3 && request[0] == MessageType::Variable &&
            request[1] == Variable::InputName && request[2] >= 0 && request[2] < InputCount)
            return QList{request + DefaultSourceNames[static_cast<std::size_t>(request[2])]};
        return identify(request);
    };
}

// The panel with its features and session as the application builds them.
class PanelFixture
{
public:
    explicit PanelFixture(const QString& port)
    {
        const Options options{.port = port};
        session = std::make_unique<UnitSession>();
        // Short timings, but long reads: no silence probes during a test.
        session->SetTiming({100, 10, {20, 60000, 1000}, {200, 200, 150}});
        panel = std::make_unique<ControlPanelDlg>(*session, options, false);
        features = new PanelFeatures(*session, *panel, options, 1, 4);
        features->Start();
        QObject::connect(&panel->Session().Link(), &UnitLink::payloadSent, panel.get(),
                         [this](const QByteArray& payload) { sent.append(payload); });
    }

    // Connected, with every input name read.
    bool Ready() const
    {
        const LiveValues& s = panel->Session().Status();
        return WaitFor([&] { return s.facts.blockSize > 0 && !s.inputNames.back().isEmpty(); },
                       10000);
    }

    void Feed(const QList<QByteArray>& payloads) const
    {
        for (const QByteArray& p : payloads)
            panel->Session().Dispatch(p);
    }

    // Both rooms off, no tuner, the focus in the window but out of the tuner.
    void Reset()
    {
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        Button(u"editPresets"_s)->setFocus();
        Feed({Report(Variable::MainPower, 0), Report(Variable::ZonePower, 0),
              Report(Variable::MainSource, 6)});
        sent.clear();
    }

    template <typename T = QWidget> T* Find(const QString& name) const
    {
        return panel->findChild<T*>(name);
    }
    QAbstractButton* Button(const QString& name) const { return Find<QAbstractButton>(name); }
    QLineEdit* Field(const QString& name) const { return Find<QLineEdit>(name); }
    bool Checked(const QString& name) const { return Button(name)->isChecked(); }
    bool Enabled(const QString& name) const { return Find(name)->isEnabled(); }
    QString Text(const QString& name) const { return Field(name)->text(); }

    // "name/up" and "name/down" are the arrows of a spin.
    void Click(const QString& target) const
    {
        QWidget* widget = Find(target.section(u'/', 0, 0));
        if (auto* spin = qobject_cast<SpinArrows*>(widget))
            widget = target.endsWith(u"/up"_s) ? spin->UpArrow() : spin->DownArrow();
        QVERIFY2(widget && widget->isEnabled(), qPrintable(target));
        QTest::mouseClick(widget, Qt::LeftButton, {}, Near(widget));
    }

    void Type(const QString& name, const QString& text, bool enter = true) const
    {
        QLineEdit* field = Field(name);
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, text);
        if (enter)
            QTest::keyClick(field, Qt::Key_Return);
    }

    // A point on a control's indicator or text: check boxes and radio
    // buttons stretched by the layout ignore clicks on their empty right end.
    static QPoint Near(const QWidget* widget)
    {
        return {std::min(8, widget->width() / 2), widget->height() / 2};
    }

    QList<QByteArray> sent; // the payloads the panel sent, in order; outlives the panel
    std::unique_ptr<UnitSession> session;   // outlives the panel
    std::unique_ptr<ControlPanelDlg> panel; // owns the features
    PanelFeatures* features = nullptr;
};
