#include "app/ToolDialog.h"

#include <QDir>
#include <QFileDialog>

QString chooseToolFile(QWidget* parent, const tools::ToolQuestion& question) {
    QFileDialog dialog(parent, question.title, question.folder, question.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog: the desktop's would ignore the filter to executables.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
