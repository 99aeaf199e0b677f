// The PC voice's speed and volume sliders.
#include "ckestrimdlg.h"

#include "speech/speechannouncer.h"

#include <QLabel>
#include <QSlider>

void CKestrimDlg::SetUpSpeechControls()
{
    m_staticSpeed->setText(QString::number(m_speechRate));
    m_sliderSpeed->setRange(-10, 10);
    m_sliderSpeed->setValue(m_speechRate);
    m_staticVolume->setText(QString::number(m_speechVolume));
    m_sliderVolume->setRange(0, 100);
    m_sliderVolume->setValue(m_speechVolume);
    m_station->announcer().setRate(m_speechRate);
    m_station->announcer().setVolume(m_speechVolume);
}

void CKestrimDlg::RepeatAnnouncement()
{
    m_station->repeatAnnouncement();
}

// The stored values change when the operator lets go of a slider, not while it moves.
void CKestrimDlg::OnReleasedCaptureSpeed()
{
    m_speechRate = m_sliderSpeed->value();
    m_staticSpeed->setText(QString::number(m_speechRate));
    m_station->announcer().setRate(m_speechRate);
    StorePreferences();
}

void CKestrimDlg::OnReleasedCaptureVolume()
{
    m_speechVolume = m_sliderVolume->value();
    m_staticVolume->setText(QString::number(m_speechVolume));
    m_station->announcer().setVolume(m_speechVolume);
    StorePreferences();
}
