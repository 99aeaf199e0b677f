// Acting on the frames the thermometer sends.
#include "ckestrimdlg.h"

#include "controls/craisedbutton.h"
#include "fonts.h"
#include "logging.h"
#include "panestatusbar.h"
#include "reception/measurement.h"
#include "reception/payloadreader.h"
#include "reception/settingsreport.h"
#include "reception/temperature.h"
#include "speech/speechannouncer.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// Ticks a radio button of an exclusive group, or clears the whole group for id -1.
void CheckRadio(QWidget *window, QList<int> group, int checkedId)
{
    auto *first = window->findChild<QRadioButton *>(QString::number(group.first()));
    QButtonGroup *buttons = first->group();
    if (checkedId < 0) {
        buttons->setExclusive(false);
        for (int id : group)
            window->findChild<QRadioButton *>(QString::number(id))->setChecked(false);
        buttons->setExclusive(true);
        return;
    }
    window->findChild<QRadioButton *>(QString::number(checkedId))->setChecked(true);
}

} // namespace

void CKestrimDlg::OnComm(const QByteArray &bytes)
{
    m_frameCodec.feed(bytes, [this](const FrameView &frame) {
        HandleFrame(frame.code, frame.payload, frame.bytes);
    });
}

void CKestrimDlg::HandleFrame(quint8 code, QByteArrayView payload, QByteArrayView frame)
{
    qCDebug(lcFrames) << "received" << frame.toByteArray().toHex(' ');
    switch (FrameCode(code)) {
    case FrameCode::Settings:
        OnSettingsReport(payload, frame);
        break;
    case FrameCode::SettingsSet:
        OnCommandAcknowledged(payload);
        break;
    case FrameCode::Environment:
        OnEnvironmentTemperature(payload);
        break;
    case FrameCode::Measurement:
        OnMeasurement(payload);
        break;
    }
}

void CKestrimDlg::OnSettingsReport(QByteArrayView payload, QByteArrayView frame)
{
    m_settingsReport = QString::fromLatin1(frame.toByteArray().toHex().toUpper());
    const SettingsReport report = ParseSettingsReport(payload);
    m_tempUnit = report.tempUnit;
    CheckRadio(this, {1000, 1001}, m_tempUnit != 0 ? 1001 : 1000);
    m_workMode = report.workMode;
    CheckRadio(this, {1002, 1003, 1004},
               m_workMode >= 0 && m_workMode <= 2 ? 1002 + m_workMode : -1);

    const float limit = DecodeTenths(report.alarmLimit);
    m_alarmLimitC = m_tempUnit == 0 ? limit : ToCelsius(limit);
    m_alarmLimitF = m_tempUnit == 0 ? ToFahrenheit(limit) : limit;
    const AlarmChoices choices =
        ReportAlarmChoices(m_machineType, m_tempUnit, m_alarmLimitC, m_alarmLimitF);
    m_comboAlarm->clear();
    m_comboAlarm->addItems(choices.entries);
    m_comboAlarm->setCurrentIndex(choices.selected);
    m_staticUnit->setText(m_tempUnit != 0 ? QStringLiteral("F") : QStringLiteral("C"));
    UpdateHistorySettings();
    m_querySchedule.requestNow();

    if (m_machineType == 1) {
        m_comboVolume->setCurrentIndex(report.volume < m_comboVolume->count() ? report.volume : -1);
        CheckRadio(this, {1036, 1037}, report.backlight == 0 ? 1036 : 1037);
        CheckRadio(this, {1038, 1039}, report.output == 0 ? 1038 : 1039);
    }

    PrepareDayRecords();
    m_comboCom->setEnabled(false);
    m_staticStatus->setText(QStringLiteral("success"));
    ApplyControlColours();
    Announce(ConnectedSentence(m_language), SpeechLanguage(m_language));
    // The thermometer needs a moment before it takes the next command; the window stays live.
    m_connectSettleTimer.start();
}

void CKestrimDlg::OnCommandAcknowledged(QByteArrayView payload)
{
    // Result byte: 0 success, anything else failure. Without its result byte the
    // acknowledgement says nothing, so the command cannot count as taken.
    if (!payload.isEmpty() && PayloadReader(payload).byte() == 0) {
        m_commandResult = QStringLiteral("success");
        m_editAck->setText(m_commandResult);
        return;
    }
    m_commandResult = QStringLiteral("fail");
    m_seams.prompts->message(this, m_commandResult);
}

void CKestrimDlg::OnEnvironmentTemperature(QByteArrayView payload)
{
    const float t = DecodeTenths(PayloadReader(payload).word());
    if (m_tempUnit == 0) {
        m_envTempC = t;
        m_envTempF = ToFahrenheit(t);
        m_statusBar->setPaneText(5, QString::asprintf("%0.1fC", double(t)));
    } else {
        m_envTempF = t;
        m_envTempC = ToCelsius(t);
        m_statusBar->setPaneText(5, QString::asprintf("%0.1fF", double(t)));
    }
}

void CKestrimDlg::OnMeasurement(QByteArrayView payload)
{
    // One read of the clock: the reading's date and time are those of one instant.
    const QDateTime instant = m_seams.clock->now();
    m_lastAbnormal = false;
    MeasurementSettings settings;
    settings.workMode = m_workMode;
    settings.tempUnit = m_tempUnit;
    settings.language = m_language;
    settings.alarmLimitC = m_alarmLimitC;
    settings.readingC = m_readingC;
    settings.readingF = m_readingF;
    settings.envTempC = m_envTempC;
    settings.envTempF = m_envTempF;
    const Measurement m = InterpretMeasurement(settings, PayloadReader(payload).word());

    m_readingC = m.readingC;
    m_readingF = m.readingF;
    if (m.verdict != Verdict::None)
        m_staticVerdict->show();
    if (!m.sentence.isEmpty())
        Announce(m.sentence, m.speechLanguage);

    const std::optional<QString> line = AppendReading(instant, m.testValue, m.envTemp);

    m_colourReading = m.verdict == Verdict::Abnormal ? kAbnormalColour : kNormalColour;
    m_colourVerdict = m_colourReading;
    m_fontReading = PointFont(kFaceArial, 30);
    if (m.verdict == Verdict::None) {
        m_fontVerdict.reset();
    } else {
        m_fontVerdict = VerdictFont(m.verdict);
        m_staticVerdict->setText(VerdictText(m.verdict, m_language));
    }
    if (m.verdict == Verdict::Abnormal) {
        m_lastAbnormal = true;
        if (line)
            WriteWarningRecord(*line, instant.date());
    }
    if (line)
        emit recordsChanged(m_records.dayFilePath());
    m_staticReading->setText(m.testValue);
    ApplyControlColours();
    if (!m_lastAbnormal)
        m_buttonSaveAs->setEnabled(true);
}

// The verdict's face and size depend on the language and the verdict's length.
QFont CKestrimDlg::VerdictFont(Verdict verdict) const
{
    if (m_language == 0)
        return PointFont(kFaceHeiti, 30);
    return PointFont(kFaceArial, verdict == Verdict::Abnormal ? 20 : 25);
}

// The colours and fonts of the reading, the verdict, the title line and the status text follow
// the state behind them.
void CKestrimDlg::ApplyControlColours()
{
    const auto paint = [](QLabel *label, const std::optional<QColor> &background,
                          const QColor &text, const std::optional<QFont> &font) {
        QPalette palette = label->palette();
        if (background)
            palette.setColor(QPalette::Window, *background);
        palette.setColor(QPalette::WindowText, text);
        label->setAutoFillBackground(background.has_value());
        label->setPalette(palette);
        label->setFont(font ? *font : label->parentWidget()->font());
    };
    paint(m_staticVerdict, m_colourVerdict, Qt::white, m_fontVerdict);
    paint(m_staticReading, m_colourReading, Qt::white, m_fontReading);
    paint(m_staticTitle, std::nullopt, Qt::black, m_fontTitle);
    paint(m_staticStatus, std::nullopt, m_connected ? QColor(0, 255, 0) : QColor(255, 0, 0),
          m_fontStatus);
}
