#pragma once
// A command host that records which operation each command reached.
#include "commands/CommandTable.h"

#include <QStringList>

struct RecordingCommandHost : CommandHost {
    QStringList calls;
    bool text = false;
    QString reduction = QStringLiteral("減色しない");
    bool textShown() const override { return text; }
    void SaveToWorkFolder() override { calls << "SaveToWorkFolder"; }
    void EmptyWorkFolder() override { calls << "EmptyWorkFolder"; }
    void ExploreWorkFolder() override { calls << "ExploreWorkFolder"; }
    void SaveWindowSettings() override { calls << "SaveWindowSettings"; }
    void PasteText() override { calls << "PasteText"; }
    void CopyText(bool m) override { calls << QStringLiteral("CopyText(%1)").arg(m); }
    void EraseImage() override { calls << "EraseImage"; }
    void ClearRange() override { calls << "ClearRange"; }
    void setColourReduction(const QString& c) override { reduction = c; }
    void editPicture(Operation op) override { calls << QStringLiteral("edit %1").arg(int(op)); }
    void changeDepth(const QString& c) override { calls << QStringLiteral("depth ") + c; }
    void undoEdit(bool redo) override { calls << (redo ? "redo" : "undo"); }
    void registerRange() override { calls << "registerRange"; }
    void selectRegisteredRange(int i) override { calls << QStringLiteral("range %1").arg(i); }
    void zoomTo(const QString& c) override { calls << QStringLiteral("zoom ") + c; }
    void CopyImage(bool m) override { calls << QStringLiteral("CopyImage(%1)").arg(m); }
    void PasteImage() override { calls << "PasteImage"; }
    void OpenImageFile() override { calls << "OpenImageFile"; }
    void SaveImage(bool as) override { calls << QStringLiteral("SaveImage(%1)").arg(as); }
    void PrintImage(int setup) override { calls << QStringLiteral("PrintImage(%1)").arg(setup); }
    void toggleToolbar() override { calls << "toggleToolbar"; }
    void openInMarlo() override { calls << "openInMarlo"; }
    void openInPirra() override { calls << "openInPirra"; }
    void openHelp() override { calls << "openHelp"; }
};
