// Handlers whose behaviour is not built yet; they are wired so that the dispatch table is whole.
#include "ckestrimdlg.h"

void CKestrimDlg::OnBnClickedCelsius() {}
void CKestrimDlg::OnBnClickedFahrenheit() {}
void CKestrimDlg::OnBnClickedSurfaceMode() {}
void CKestrimDlg::OnBnClickedBodyMode() {}
void CKestrimDlg::OnBnClickedCountMode() {}
void CKestrimDlg::OnCbnSelchangeAlarm() {}
void CKestrimDlg::OnCbnSelchangeVolume() {}
void CKestrimDlg::OnBnClickedBacklightOff() {}
void CKestrimDlg::OnBnClickedBacklightOn() {}
void CKestrimDlg::OnBnClickedSwitchMode() {}
void CKestrimDlg::OnBnClickedPulseMode() {}
void CKestrimDlg::OnBnClickedModelR9() {}
void CKestrimDlg::OnBnClickedModelR9Pro() {}
void CKestrimDlg::OnBnClickedChinese() {}
void CKestrimDlg::OnBnClickedEnglish() {}
