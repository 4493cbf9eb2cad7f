#include "commands/Toolbar.h"

#include "core/Twips.h"

#include <QAction>
#include <QToolButton>

namespace {
struct ButtonDef {
    Operation op;
    const char16_t* tip;
};

// Button 3 explores the work folder, as its tooltip promises. Several tooltips name keys
// that do something else (Ctrl+C copies, Ctrl+X does nothing); users know these texts.
constexpr std::array<ButtonDef, Toolbar::kCount> kButtons{{
    {Operation::Open, u"Ctrl+O 画像ﾌｧｲﾙを開きます"},
    {Operation::Overwrite, u"Ctrl+S 上書き保存"},
    {Operation::SaveToWorkFolder, u"Ctrl+W 作業ﾌｫﾙﾀﾞに保存"},
    {Operation::ExploreWorkFolder, u"Ctrl+W 作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開きます"},
    {Operation::Paste, u"Ctrl+C 現在の画像をｸﾘｯﾌﾟﾎﾞｰﾄﾞに貼り付けます"},
    {Operation::Trim, u"Ctrl+X 画像をﾄﾘﾐﾝｸﾞします"},
    {Operation::FoldVertical, u"Ctrl+T 縦方向に綴じこめます"},
    {Operation::FoldHorizontal, u"Ctrl+Y 横方向に綴じこめます"},
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

QString Toolbar::toolTip(int index) {
    return inRange(index) ? QString::fromUtf16(kButtons[size_t(index)].tip) : QString();
}
