#pragma once

class QString;

// What a caller reports as kept must survive a power cut: the file's bytes,
// and for a new or renamed file its name in the folder too.
bool syncFile(const QString& path);
void syncFolderOf(const QString& path);
