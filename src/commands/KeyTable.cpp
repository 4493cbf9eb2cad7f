#include "commands/KeyTable.h"

#include <QKeyEvent>

namespace keytable {

int modifierMask(Qt::KeyboardModifiers mods) {
    int mask = 0;
    if (mods & Qt::ShiftModifier)
        mask |= kShift;
    if (mods & Qt::ControlModifier)
        mask |= kCtrl;
    if (mods & Qt::AltModifier)
        mask |= kAlt;
    return mask;
}

std::optional<KeyCommand> keyCommand(int qtKey, Qt::KeyboardModifiers mods) {
    const int mask = modifierMask(mods);
    if (qtKey == Qt::Key_F8) {
        if (mask == 0)
            return KeyCommand::SaveImage;
        return std::nullopt;
    }
    if (mask != kCtrl)
        return std::nullopt;
    // Qt reports letters as upper-case keys; a raw character may still come lower-case.
    if (qtKey >= 'a' && qtKey <= 'z')
        qtKey -= 'a' - 'A';
    switch (qtKey) {
    case Qt::Key_O:
        return KeyCommand::OpenImageFile;
    case Qt::Key_S:
        return KeyCommand::SaveImage;
    case Qt::Key_V:
        return KeyCommand::PasteImage;
    case Qt::Key_C:
        return KeyCommand::CopyImage;
    case Qt::Key_T:
        return KeyCommand::TrimImage;
    case Qt::Key_W:
        return KeyCommand::SaveToWorkFolder;
    case Qt::Key_P:
        return KeyCommand::PrintImage;
    case Qt::Key_E:
        return KeyCommand::ExploreWorkFolder;
    case Qt::Key_A:
        return KeyCommand::OpenInPirra;
    case Qt::Key_R:
        return KeyCommand::RotateRight90;
    case Qt::Key_L:
        return KeyCommand::RotateLeft90;
    default:
        return std::nullopt;
    }
}

std::optional<KeyCommand> keyCommand(const QKeyEvent& event) {
    return keyCommand(event.key(), event.modifiers());
}

} // namespace keytable
