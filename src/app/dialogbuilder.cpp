#include "dialogbuilder.h"
