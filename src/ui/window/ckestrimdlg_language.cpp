// The interface language: every switchable text of the window in English or Chinese.
#include "ckestrimdlg.h"

#include "controls/fonts.h"
#include "device/interfacetexts.h"
#include "device/reconnector.h"
#include "panestatusbar.h"
#include "records/recordline.h"
#include "records/recordlistmodel.h"
#include "switchedcaptions.h"
#include "thermometermodel.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

void CKestrimDlg::OnBnClickedChinese()
{
    SwitchLanguage(Language::Chinese);
}

void CKestrimDlg::OnBnClickedEnglish()
{
    SwitchLanguage(Language::English);
}

void CKestrimDlg::SwitchLanguage(Language language)
{
    m_language = language;
    m_station->setLanguage(language);
    m_statusBar->setPaneText(0, Texts::kPaneDate.in(language));
    m_statusBar->setPaneText(2, Texts::kPaneTime.in(language));
    m_statusBar->setPaneText(4, Texts::kPaneEnvironment.in(language));
    SetListColumnCaptions(*m_recordModel, language);
    for (int column = 0; column < int(kListColumns.size()); ++column)
        m_recordList->horizontalHeader()->resizeSection(
            column, kListColumns[size_t(column)].width(language));
    m_csvHeader = RecordColumnsCsv(language);
    for (const SwitchedCaption &caption : kSwitchedCaptions) {
        QWidget *widget = findChild<QWidget *>(QString::number(caption.id));
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setText(caption.caption.in(language));
        else if (auto *label = qobject_cast<QLabel *>(widget))
            label->setText(caption.caption.in(language));
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            group->setTitle(caption.caption.in(language));
    }

    // The verdict on show keeps its judgement; only its words change.
    if (m_fontVerdict) {
        m_fontVerdict =
            language == Language::Chinese ? PointFont(kFaceHeiti, 30) : PointFont(kFaceArial, 20);
        if (m_shownVerdict != Verdict::None)
            m_staticVerdict->setText(VerdictText(m_shownVerdict, language));
    }
    if (m_fontTitle)
        m_fontTitle = PointFont(language == Language::Chinese ? kFaceKaiti : kFaceArial, 14);
    ShowTitleLine();
    ApplyControlColours();

    const device::ConnectionState state = m_thermometer->state();
    if (state == device::ConnectionState::Reconnecting)
        m_staticStatus->setText(Texts::kReconnecting.in(language));
    m_buttonConnect->setText(
        (state == device::ConnectionState::Closed ? Texts::kConnect : Texts::kDisconnect)
            .in(language));

    UpdateHistorySettings();
    ShowCentralStatus(m_centralStatus);
    StorePreferences();
    // A model without a device language changes its interface language all the same.
    if (m_thermometer->isPortOpen() && ModelOf(m_thermometer->model()).hasLanguage)
        SendSettingsCommand(SettingLanguage, int(language));
}

void CKestrimDlg::ToggleLanguage()
{
    SwitchLanguage(m_language == Language::Chinese ? Language::English : Language::Chinese);
}
