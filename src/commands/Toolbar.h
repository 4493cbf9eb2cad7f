#pragma once
// The eight picture buttons of the top band. Each button stands for one operation and
// triggers its action; the picture is the action's icon.
#include "commands/Operations.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

class QToolButton;
class QWidget;

class Toolbar : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 8;
    static constexpr int kTopTwips = 15;
    static constexpr int kSizeTwips = 240;
    static constexpr std::array<int, kCount> kLeftTwips{3270, 3600, 3930, 4275,
                                                        4710, 5040, 5370, 5715};

    // Creates the buttons as children of `host`. `hostLeftTwips` is the host's own left edge
    // within the top band (0 when the host is the band itself), so the buttons land on the
    // same pixels either way.
    Toolbar(QWidget* host, const OperationRegistry& operations, int hostLeftTwips = 0);

    QToolButton* button(int index) const;

    // The operation a button triggers; none outside 0..7.
    static std::optional<Operation> operation(int index);
    // The key the button's tooltip names, as Qt writes it ("Ctrl+T"); empty for a button whose
    // work has no key. The keys are the operations' own, so the two cannot disagree.
    static QString keyName(int index);
    static QString toolTip(int index);

private:
    std::array<QToolButton*, kCount> imBtn_{};
};
