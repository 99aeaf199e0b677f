#include "craisedbutton.h"
