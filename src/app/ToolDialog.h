#pragma once
// The open-file dialog that asks where a sibling tool is, and the size of the file dialogs.
#include "settings/SiblingTools.h"

#include <memory>

class QFileDialog;
class QWidget;

// Qt's file dialogs open at their size hint, too narrow for the list's columns; this gives
// one three fifths of its screen's available area, never less than its hint.
void fitFileDialog(QFileDialog& dialog);

// The dialog, not yet shown: folders and executable files, whatever their names.
std::unique_ptr<QFileDialog> makeToolDialog(QWidget* parent, const tools::ToolQuestion& question);
// The chosen file, or empty when the user cancelled.
QString chooseToolFile(QWidget* parent, const tools::ToolQuestion& question);
