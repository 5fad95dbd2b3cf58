#pragma once

// After one question, deletes the files of the marked rows, removes their rows
// and lists them in <DDMMYYYY-HHMMSS>-del.log beside the executable.
void DeleteMarkedFiles();
