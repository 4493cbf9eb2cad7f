#include "app/ToolDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QScreen>
#include <QSortFilterProxyModel>

namespace {

// Folders and executable files only. The dialog's own permission filter cannot say that: its
// model hides whatever is readable unless QDir::Readable is set, and so on for each flag.
class ExecutablesAndFolders : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

} // namespace

void fitFileDialog(QFileDialog& dialog) {
    const QWidget* parent = dialog.parentWidget();
    const QScreen* screen = parent && parent->screen() ? parent->screen() : dialog.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize room = screen->availableGeometry().size();
    dialog.resize((room * 3 / 5).expandedTo(dialog.sizeHint()).boundedTo(room));
}

std::unique_ptr<QFileDialog> makeToolDialog(QWidget* parent, const tools::ToolQuestion& question) {
    auto dialog =
        std::make_unique<QFileDialog>(parent, question.title, question.folder, question.filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog: the desktop's would not take the filter to executables.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    dialog->setProxyModel(new ExecutablesAndFolders(dialog.get()));
    fitFileDialog(*dialog);
    return dialog;
}

QString chooseToolFile(QWidget* parent, const tools::ToolQuestion& question) {
    const std::unique_ptr<QFileDialog> dialog = makeToolDialog(parent, question);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}
