#include "commands/Toolbar.h"

#include "app/Twips.h"

#include <QIcon>
#include <QToolButton>

// The pictures live in this static library; nothing else references their resource
// object, so the linker would drop it without an explicit initialisation.
static void initToolbarIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace {
struct ButtonDef {
    const char16_t* command;
    const char16_t* tip;
    const char* icon;
};

// Button 3 runs the explorer command, as its tooltip promises. Several tooltips name keys
// that do something else (Ctrl+C copies, Ctrl+X does nothing); users know these texts.
constexpr std::array<ButtonDef, Toolbar::kCount> kButtons{{
    {u"開く", u"Ctrl+O 画像ﾌｧｲﾙを開きます", "open"},
    {u"上書保存", u"Ctrl+S 上書き保存", "save"},
    {u"作業ﾌｫﾙﾀﾞに保存", u"Ctrl+W 作業ﾌｫﾙﾀﾞに保存", "savework"},
    {u"作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開く", u"Ctrl+W 作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開きます", "explore"},
    {u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付", u"Ctrl+C 現在の画像をｸﾘｯﾌﾟﾎﾞｰﾄﾞに貼り付けます", "paste"},
    {u"ﾄﾘﾐﾝｸﾞ", u"Ctrl+X 画像をﾄﾘﾐﾝｸﾞします", "trim"},
    {u"縦方向", u"Ctrl+T 縦方向に綴じこめます", "foldv"},
    {u"横方向", u"Ctrl+Y 横方向に綴じこめます", "foldh"},
}};

bool inRange(int index) {
    return index >= 0 && index < Toolbar::kCount;
}
} // namespace

Toolbar::Toolbar(QWidget* host, int hostLeftTwips) : QObject(host) {
    initToolbarIcons();
    const int hostLeftPx = twips::toPx(hostLeftTwips);
    const int sizePx = twips::toPx(kSizeTwips);
    for (int i = 0; i < kCount; ++i) {
        auto* b = new QToolButton(host);
        b->setObjectName(QStringLiteral("imBtn%1").arg(i));
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setIcon(QIcon(iconPath(i)));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(toolTip(i));
        b->setAccessibleName(toolTip(i)); // a picture alone names nothing
        // Rounded per edge against the band, not per offset, so the host does not shift them.
        b->setGeometry(twips::toPx(kLeftTwips[size_t(i)]) - hostLeftPx, twips::toPx(kTopTwips),
                       sizePx, sizePx);
        connect(b, &QToolButton::clicked, this, [this, i] { emit clicked(i); });
        imBtn_[size_t(i)] = b;
    }
}

QToolButton* Toolbar::button(int index) const {
    return inRange(index) ? imBtn_[size_t(index)] : nullptr;
}

QString Toolbar::commandText(int index) {
    return inRange(index) ? QString::fromUtf16(kButtons[size_t(index)].command) : QString();
}

QString Toolbar::toolTip(int index) {
    return inRange(index) ? QString::fromUtf16(kButtons[size_t(index)].tip) : QString();
}

QString Toolbar::iconPath(int index) {
    return inRange(index)
               ? QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(kButtons[size_t(index)].icon))
               : QString();
}
