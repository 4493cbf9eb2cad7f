#include "app/QtMessageSink.h"

#include "app/ToolDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {
const QString kTitle = QStringLiteral("Tolvik");
// A CR alone separates lines inside the program's messages.
QString lines(QString text) {
    return text.replace(u'\r', u'\n');
}
} // namespace

QtMessageSink::~QtMessageSink() {
    delete m_notice.data();
}

MessageSink::Answer QtMessageSink::ask(const QString& text, Buttons buttons) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, lines(text),
                    buttons == Buttons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                 : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

MessageSink::Answer QtMessageSink::askToSave(const QString& text) {
    QMessageBox box(QMessageBox::Question, kTitle, lines(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return Answer::Save;
    case QMessageBox::Discard:
        return Answer::Discard;
    default:
        return Answer::Cancel;
    }
}

void QtMessageSink::notice(const QString& text) {
    if (!m_notice)
        m_log.clear();
    m_log.add(text);
    if (m_notice) {
        m_notice->setText(m_log.text());
        m_notice->raise();
        return;
    }
    m_notice = new QMessageBox(QMessageBox::Warning, kTitle, m_log.text(), QMessageBox::Ok);
    m_notice->setAttribute(Qt::WA_DeleteOnClose);
    m_notice->setModal(false);
    m_notice->setWindowFlag(Qt::WindowStaysOnTopHint);
    m_notice->show();
}

namespace {
QWidget* dialogParent() {
    return QApplication::activeWindow();
}
} // namespace

QString QtMessageSink::openFileName(const QString& title, const QString& filters) {
    QFileDialog dialog(dialogParent(), title, QString(), filters);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    fitFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtMessageSink::saveFileName(const QString& filters, QString* selectedFilter) {
    // The caller asks about replacing, once the extension is known.
    QFileDialog dialog(dialogParent(), QString(), QString(), filters);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);
    fitFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

bool QtMessageSink::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, dialogParent());
    // No selection and no page numbers: the picture is one page.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}
