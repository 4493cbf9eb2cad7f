#pragma once
// The keys of the main window: which operation a key press runs, if any. The keys run
// their operations directly, not through the command texts, whatever the menus allow.
#include <Qt>

#include <optional>

class QKeyEvent;

enum class KeyCommand {
    SaveImage,         // F8, Ctrl+S: overwrite the current file
    OpenImageFile,     // Ctrl+O
    PasteImage,        // Ctrl+V, also while a text is shown
    CopyImage,         // Ctrl+C: the picture view, also while a text is shown
    TrimImage,         // Ctrl+T
    SaveToWorkFolder,  // Ctrl+W
    PrintImage,        // Ctrl+P: print, not the printer setup
    ExploreWorkFolder, // Ctrl+E
    OpenInPirra,       // Ctrl+A
    RotateRight90,     // Ctrl+R
    RotateLeft90,      // Ctrl+L
};

namespace keytable {
constexpr int kShift = 1;
constexpr int kCtrl = 2;
constexpr int kAlt = 4;

// Shift, Ctrl and Alt as 1, 2 and 4; keypad, Meta and group-switch flags do not count.
int modifierMask(Qt::KeyboardModifiers mods);

// The operation of a key with exactly these modifiers; nothing for any other combination.
// Letters may come as Qt keys or as lower-case characters.
std::optional<KeyCommand> keyCommand(int qtKey, Qt::KeyboardModifiers mods);
std::optional<KeyCommand> keyCommand(const QKeyEvent& event);
} // namespace keytable
