// The window's initialisation, the environment query and the orderly end.
#include "ckestrimdlg.h"

#include "centralsender.h"
#include "controls/cmyprogress.h"
#include "controls/craisedbutton.h"
#include "controls/fonts.h"
#include "device/interfacetexts.h"
#include "panestatusbar.h"
#include "reception/settingsreport.h"
#include "records/recordcolumns.h"
#include "records/recordline.h"
#include "records/recordlistmodel.h"
#include "speech/speechannouncer.h"
#include "thermometermodel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSlider>
#include <QTableView>

#ifdef Q_OS_WIN
#include <objbase.h>
#endif

bool CKestrimDlg::OnInitDialog()
{
    m_windowWidth = width();
    m_windowHeight = height();
    const Preferences remembered = LoadPreferences(kPreferencesFile);
    m_speechRate = remembered.speechRate;
    m_speechVolume = remembered.speechVolume;
    SetUpSpeechControls();
    if (!InitialiseCom()) {
        m_seams.prompts->message(this, QStringLiteral("Error to intiliaze COM"));
        return false;
    }

    const ThermometerModel &model = ModelOf(MachineType::R9Pro);
    m_comboAlarm->addItems(SteppedAlarmEntries(model.steppedFirstC, model.steppedLastC));
    m_comboAlarm->setCurrentIndex(-1);
    m_staticUnit->setText(QStringLiteral("C"));
    m_fontVerdict = PointFont(kFaceHeiti, 30);
    m_fontReading = PointFont(kFaceArial, 30);
    m_fontTitle = PointFont(kFaceKaiti, 14);
    m_fontStatus = PointFont(kFaceArial, 14);
    m_colourReading = kNormalColour;
    m_colourVerdict = kNormalColour;
    m_staticStatus->setText(m_statusText);
    ShowTitleLine(m_seams.clock->now().date());
    {
        const QScopedValueRollback showing(m_showingSettings, true);
        control<QRadioButton>(IDC_RADIO_R9_PRO)->setChecked(true);
    }
    m_station->start();
    m_staticReading->setText(QStringLiteral("--.-"));
    for (int percent = 0; percent <= 100; percent += 25)
        m_comboVolume->addItem(QString::asprintf("%d", percent) + QStringLiteral("%"));
    m_comboVolume->setCurrentIndex(-1);

    SetUpRecordList();
    EnableSettingsControls(false);
    m_buttonSaveAs->setEnabled(false);
    m_csvHeader = RecordColumnsCsv(Language::English);
    CreateStatusBar();
    m_batteryBar->setRange(0, 100);
    m_batteryBar->setValue(0);
    ProbePorts();
    RestorePreferences(remembered);
    StartCentral();

    ApplyControlColours();
    m_clockTimer.start(1000);
    setWindowIcon(m_icon);
    return true;
}

// The speech platform on Windows needs COM on the window's thread; elsewhere there is nothing
// to set up and this cannot fail.
bool CKestrimDlg::InitialiseCom()
{
#ifdef Q_OS_WIN
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Qt may have initialised the thread already, in another mode; that is as good.
    if (FAILED(result) && result != RPC_E_CHANGED_MODE)
        return false;
    m_comInitialised = SUCCEEDED(result);
#endif
    return true;
}

// The title line shows the window's day in the interface language.
void CKestrimDlg::ShowTitleLine(const QDate &day)
{
    m_year = day.year();
    m_month = day.month();
    m_day = day.day();
    ShowTitleLine();
}

// "Jan 5,2024 Temp. Statistics" or "2024年01月05日温度采集信息表"
void CKestrimDlg::ShowTitleLine()
{
    const QStringList months = SplitFields(m_monthNames);
    m_staticTitle->setText(
        TitleLineText(months.value(m_month - 1), m_year, m_month, m_day, m_language));
}

void CKestrimDlg::SetUpRecordList()
{
    m_recordList->setModel(m_recordModel);
    m_recordList->setShowGrid(true);
    m_recordList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_recordList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_recordList->setWordWrap(false);
    // Rows of one height make a day of 100,000 readings as quick to scroll as ten.
    QHeaderView *rows = m_recordList->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_recordList->fontMetrics().height() + 4);
    QHeaderView *columns = m_recordList->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignCenter);
    const int widths[] = {60, 68, 72, 123};
    for (int column = 0; column < 4; ++column)
        columns->resizeSection(column, widths[column]);
}

// Lists COM1 … COM20 and selects the highest-numbered one that opens (COM1 when none does).
// Only the ports the system lists, or that Ports/ names, are tried.
void CKestrimDlg::ProbePorts()
{
    m_comboCom->clear();
    int selected = 0;
    const QStringList systemPorts = PortMap::SystemPorts();
    for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n) {
        m_comboCom->addItem(PortMap::PortName(n));
        m_comboCom->setItemData(m_comboCom->count() - 1, m_serial->portMap().tooltip(n),
                                Qt::ToolTipRole);
        if (m_serial->portMap().isListed(n, systemPorts) &&
            CMscomm::CanOpen(m_serial->portMap().device(n)))
            selected = n - PortMap::kFirstPort;
    }
    if (m_comboCom->count() > 0)
        m_comboCom->setCurrentIndex(selected);
}

void CKestrimDlg::OnTimer(int id)
{
    if (id == kClockTimer)
        OnClockTick();
    else if (id == kQueryTimer)
        OnQueryTick();
}

void CKestrimDlg::OnQueryTick()
{
    m_station->queryTick();
}

void CKestrimDlg::done(int result)
{
    StorePreferences();
    DestroyWindow();
    QDialog::done(result);
}

// Nothing is left running: the clock stops, the central sender ends without waiting for the
// server, and the desk stops (its heartbeat, its voice without waiting for a sentence, its port,
// and the waiting for the thermometer).
void CKestrimDlg::DestroyWindow()
{
    m_clockTimer.stop();
    m_centralSender.reset();
    if (m_station)
        m_station->stop();
#ifdef Q_OS_WIN
    if (m_comInitialised)
        CoUninitialize();
    m_comInitialised = false;
#endif
}
