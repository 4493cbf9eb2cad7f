#include "commands/Toolbar.h"

#include "core/Twips.h"

#include <QAction>
#include <QKeySequence>
#include <QToolButton>

#include <algorithm>

namespace {
struct ButtonDef {
    Operation op;
    const char16_t* description;
    // Whose key the tooltip names: the button's own operation, except for pasting, whose key
    // is the picture paste (the same work while a picture is shown).
    Operation keyOf;
};

// Button 3 explores the work folder, as its tooltip promises.
constexpr std::array<ButtonDef, Toolbar::kCount> kButtons{{
    {Operation::Open, u"画像ﾌｧｲﾙを開きます", Operation::Open},
    {Operation::Overwrite, u"上書き保存", Operation::Overwrite},
    {Operation::SaveToWorkFolder, u"作業ﾌｫﾙﾀﾞに保存", Operation::SaveToWorkFolder},
    {Operation::ExploreWorkFolder, u"作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開きます", Operation::ExploreWorkFolder},
    {Operation::Paste, u"現在の画像をｸﾘｯﾌﾟﾎﾞｰﾄﾞに貼り付けます", Operation::PasteImage},
    {Operation::Trim, u"画像をﾄﾘﾐﾝｸﾞします", Operation::Trim},
    {Operation::FoldVertical, u"縦方向に綴じこめます", Operation::FoldVertical},
    {Operation::FoldHorizontal, u"横方向に綴じこめます", Operation::FoldHorizontal},
}};

bool inRange(int index) {
    return index >= 0 && index < Toolbar::kCount;
}
} // namespace

Toolbar::Toolbar(QWidget* host, const OperationRegistry& operations, int hostLeftTwips)
    : QObject(host) {
    const int hostLeftPx = twips::toPx(hostLeftTwips);
    const int sizePx = twips::toPx(kSizeTwips);
    for (int i = 0; i < kCount; ++i) {
        QAction* action = operations.action(kButtons[size_t(i)].op);
        auto* b = new QToolButton(host);
        b->setObjectName(QStringLiteral("imBtn%1").arg(i));
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setIcon(action->icon());
        b->setIconSize(QSize(16, 16));
        b->setToolTip(toolTip(i));
        b->setAccessibleName(toolTip(i)); // a picture alone names nothing
        // Rounded per edge against the band, not per offset, so the host does not shift them.
        b->setGeometry(twips::toPx(kLeftTwips[size_t(i)]) - hostLeftPx, twips::toPx(kTopTwips),
                       sizePx, sizePx);
        // Not the button's default action: the button keeps its own tooltip and stays
        // enabled whatever the menus allow.
        connect(b, &QToolButton::clicked, action, &QAction::trigger);
        imBtn_[size_t(i)] = b;
    }
}

QToolButton* Toolbar::button(int index) const {
    return inRange(index) ? imBtn_[size_t(index)] : nullptr;
}

std::optional<Operation> Toolbar::operation(int index) {
    return inRange(index) ? std::optional(kButtons[size_t(index)].op) : std::nullopt;
}

QString Toolbar::keyName(int index) {
    if (!inRange(index))
        return {};
    // A Ctrl key where there is one: it is the one the band has always named.
    const std::vector<QKeyCombination> keys =
        OperationRegistry::keys(kButtons[size_t(index)].keyOf);
    if (keys.empty())
        return {};
    const auto ctrl = std::find_if(keys.begin(), keys.end(), [](QKeyCombination k) {
        return k.keyboardModifiers().testFlag(Qt::ControlModifier);
    });
    return QKeySequence(ctrl != keys.end() ? *ctrl : keys.front())
        .toString(QKeySequence::PortableText);
}

QString Toolbar::toolTip(int index) {
    if (!inRange(index))
        return {};
    const QString description = QString::fromUtf16(kButtons[size_t(index)].description);
    const QString key = keyName(index);
    return key.isEmpty() ? description : key + u' ' + description;
}
