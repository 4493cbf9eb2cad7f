#pragma once
// The open-file dialog that asks where a sibling tool is.
#include "settings/SiblingTools.h"

#include <memory>

class QFileDialog;
class QWidget;

// The dialog, not yet shown: folders and executable files, whatever their names.
std::unique_ptr<QFileDialog> makeToolDialog(QWidget* parent, const tools::ToolQuestion& question);
// The chosen file, or empty when the user cancelled.
QString chooseToolFile(QWidget* parent, const tools::ToolQuestion& question);
