#include "cmymemdc.h"
