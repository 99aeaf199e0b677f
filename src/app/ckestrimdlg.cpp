#include "ckestrimdlg.h"
