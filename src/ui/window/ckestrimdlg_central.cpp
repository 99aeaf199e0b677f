// The optional central store: when Kestrim.ini names a server, every reading stored, and every
// deletion, is also sent there by the central sender on its own thread; the status bar's last
// pane tells how that stands. Without a server nothing of it exists: no thread, no timer, no
// pane text.
#include "ckestrimdlg.h"

#include "centraljournal.h"
#include "centralsender.h"
#include "logging.h"
#include "panestatusbar.h"
#include "pgcentralstore.h"

#include <QLabel>

namespace {

constexpr int kCentralPane = 6;
constexpr int kCentralPaneMargin = 12; // the pane's frame and a little air

} // namespace

void CKestrimDlg::StartCentral()
{
    QString problem;
    m_central = LoadCentralSettings(kPreferencesFile, &problem);
    QLabel *pane = m_statusBar->pane(kCentralPane);
    // What a server or the url says is shown as it is, never as rich text.
    pane->setTextFormat(Qt::PlainText);
    if (!m_central) {
        // A server named in a way that is refused: nothing is sent, and the pane says why.
        if (!problem.isEmpty()) {
            const QString text = QStringLiteral("central: ") + problem;
            m_statusBar->setPaneText(kCentralPane, text);
            pane->setToolTip(text.toHtmlEscaped());
        }
        return;
    }
    if (!KESTRIM_CENTRAL && !m_seams.centralStore) {
        qCWarning(lcCentral) << "Kestrim.ini names a central server, but this build has no "
                                "central store (built without libpq)";
        m_central.reset();
        return;
    }
    // The last pane has what the other panes leave; with a server it must hold the longest
    // state, so the window grows by what that needs beyond the pane's own width.
    int needed = 0;
    for (Language language : kLanguages)
        for (CentralStatus::Link link :
             {CentralStatus::Link::Unreachable, CentralStatus::Link::PasswordRefused}) {
            CentralStatus longest;
            longest.link = link;
            longest.waiting = 99999;
            needed =
                qMax(needed,
                     pane->fontMetrics().horizontalAdvance(CentralStatusText(longest, language)));
        }
    m_windowWidth += qMax(0, needed + kCentralPaneMargin - kPaneWidths[kCentralPane]);
    resize(m_windowWidth, height());
    std::unique_ptr<CentralStore> store = m_seams.centralStore
                                              ? m_seams.centralStore(*m_central)
                                              : std::make_unique<PgCentralStore>(*m_central);
    m_centralSender = std::make_unique<CentralSender>(
        std::move(store), CentralCursors(kCentralCursorFile, m_central->identity()));
    connect(m_centralSender.get(), &CentralSender::statusChanged, this,
            &CKestrimDlg::ShowCentralStatus);
    connect(m_station, &Station::recordsChanged, m_centralSender.get(),
            &CentralSender::dayFileChanged);
}

// The pane is written only when its text changes, so a status that comes again does not redraw.
void CKestrimDlg::ShowCentralStatus(const CentralStatus &status)
{
    m_centralStatus = status;
    if (!m_centralSender)
        return;
    const QString text = CentralStatusText(status, m_language);
    if (m_statusBar->paneText(kCentralPane) == text)
        return;
    m_statusBar->setPaneText(kCentralPane, text);
    // A tooltip guesses rich text too: the server's words are escaped.
    m_statusBar->pane(kCentralPane)->setToolTip(text.toHtmlEscaped());
}

qint64 CKestrimDlg::JournalCentralDeletion(const QString &dayFile, const RecordRows &before,
                                           const RecordRows &after)
{
    if (!m_centralSender || dayFile.isEmpty())
        return 0;
    return CentralJournal().record(dayFile, before, after);
}

void CKestrimDlg::FinishCentralDeletion(qint64 number, const QString &dayFile, bool made)
{
    if (number <= 0 || !m_centralSender)
        return;
    if (made)
        CentralJournal().confirm(number);
    else
        CentralJournal().withdraw(number);
    m_centralSender->dayFileChanged(dayFile);
}
