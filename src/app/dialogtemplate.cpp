#include "dialogtemplate.h"
