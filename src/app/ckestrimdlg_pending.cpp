// Handlers whose behaviour is not built yet; they are wired so that the dispatch table is whole.
#include "ckestrimdlg.h"

void CKestrimDlg::OnBnClickedSaveAs() {}
void CKestrimDlg::OnNMRClickRecordList(const QPoint &) {}
void CKestrimDlg::OnSelectDelete() {}
void CKestrimDlg::OnDeleteAll() {}
