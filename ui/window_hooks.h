#pragma once

// Points the engine's hooks at the main page (statistics fields), the message
// pump and ShowMessage. Called once at start-up, before the sheet opens.
void InstallWindowHooks();
