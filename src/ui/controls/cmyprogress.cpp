#include "cmyprogress.h"

CMyProgress::CMyProgress(QWidget *parent)
    : QProgressBar(parent)
{}
