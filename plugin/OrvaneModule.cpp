#include "plugin/OrvaneModule.h"
