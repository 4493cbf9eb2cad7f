#pragma once
// The keys of the main window: which operation a key press runs, if any. The keys each
// operation answers to are registered with it; a key runs its operation's action directly,
// not through the command texts, whatever the menus allow.
#include "commands/Operations.h"

#include <Qt>

#include <optional>

class QKeyEvent;

namespace keytable {
constexpr int kShift = 1;
constexpr int kCtrl = 2;
constexpr int kAlt = 4;

// Shift, Ctrl and Alt as 1, 2 and 4; keypad, Meta and group-switch flags do not count.
int modifierMask(Qt::KeyboardModifiers mods);

// The operation of a key with exactly its registered modifiers; nothing for any other
// combination. Letters may come as Qt keys or as lower-case characters.
std::optional<Operation> operation(int qtKey, Qt::KeyboardModifiers mods);
std::optional<Operation> operation(const QKeyEvent& event);
} // namespace keytable
