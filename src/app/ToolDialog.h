#pragma once
// The open-file dialog that asks where a sibling tool is.
#include "settings/SiblingTools.h"

class QWidget;

// The chosen file, or empty when the user cancelled.
QString chooseToolFile(QWidget* parent, const tools::ToolQuestion& question);
