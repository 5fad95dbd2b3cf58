#pragma once

// Moves the files of the marked rows into BackUp\<DDMMYYYY-HHMMSS> beside the
// executable, removes their rows and lists them in backup.log there.
void BackupMarkedFiles();
