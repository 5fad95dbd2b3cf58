#include "engine/settings.h"

Settings settings;
char iniPath[MaxPath];
char logPath[MaxPath];
