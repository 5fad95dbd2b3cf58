#include "app/module.h"

HINSTANCE moduleInstance;
