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

std::optional<Operation> operation(int qtKey, Qt::KeyboardModifiers mods) {
    // Qt reports letters as upper-case keys; a raw character may still come lower-case.
    if (qtKey >= 'a' && qtKey <= 'z')
        qtKey -= 'a' - 'A';
    const int mask = modifierMask(mods);
    for (Operation op : OperationRegistry::all())
        for (QKeyCombination k : OperationRegistry::keys(op))
            if (k.key() == qtKey && modifierMask(k.keyboardModifiers()) == mask)
                return op;
    return std::nullopt;
}

std::optional<Operation> operation(const QKeyEvent& event) {
    return operation(event.key(), event.modifiers());
}

} // namespace keytable
