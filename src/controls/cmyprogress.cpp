#include "cmyprogress.h"
