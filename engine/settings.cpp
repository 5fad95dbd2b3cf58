#include "engine/settings.h"

Settings settings;
char iniPath[MaxPathText];
char logPath[MaxPathText];
