#pragma once

class QWidget;

// The system menu's database entries: the questions, the progress window and
// the messages around DatabaseBackup and DatabaseImport. Texts are in the
// system menu's context; parent is the system menu.
namespace DatabaseBackupPrompt {
// Copies the live database into a chosen folder, asking before it replaces
// an earlier "database.db" there.
void run(QWidget* parent);
} // namespace DatabaseBackupPrompt

namespace DatabaseImportPrompt {
// Merges a chosen database file into the station's, under a modal progress
// window whose cancel keeps what was merged so far.
void run(QWidget* parent);
} // namespace DatabaseImportPrompt
