#include "commands/Operations.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>

#include <array>

Q_LOGGING_CATEGORY(lcCommands, "tolvik.commands", QtWarningMsg)

// The pictures live in this static library; nothing else references their resource
// object, so the linker would drop it without an explicit initialisation.
static void initToolbarIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace {
const char* const kOperation = "tolvikOperation";

struct Definition {
    Operation op;
    const char16_t* group;
    const char16_t* caption;
    const char16_t* label;
    Enabling enabling;
    const char* icon;
    std::array<QKeyCombination, 2> keys;
};

using O = Operation;
using E = Enabling;
constexpr QKeyCombination ctrl(Qt::Key key) {
    return Qt::CTRL | key;
}

// In the order of Operation. The keys need exactly their modifiers (Shift, Ctrl and Alt).
constexpr Definition kDefinitions[] = {
    {O::Open, u"File", u"開く(&O)", u"Ctrl+O", E::Always, "open", {ctrl(Qt::Key_O)}},
    {O::Overwrite,
     u"File",
     u"上書保存(&S)",
     u"F8",
     E::Changed,
     "save",
     {QKeyCombination(Qt::Key_F8), ctrl(Qt::Key_S)}},
    {O::SaveAs, u"File", u"名前を付けて保存", u"", E::Picture, nullptr, {}},
    {O::OpenInMarlo, u"File", u"現在のﾌｧｲﾙをMarloで開く", u"", E::Picture, nullptr, {}},
    {O::PrintSetup, u"File", u"印刷設定", u"", E::Picture, nullptr, {}},
    {O::Print, u"File", u"印刷(&P)", u"Ctrl+P", E::Picture, nullptr, {ctrl(Qt::Key_P)}},
    {O::SaveToWorkFolder,
     u"File",
     u"作業ﾌｫﾙﾀﾞに保存",
     u"Ctrl+W",
     E::Picture,
     "savework",
     {ctrl(Qt::Key_W)}},
    {O::ExploreWorkFolder,
     u"File",
     u"作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開く",
     u"Ctrl+E",
     E::Always,
     "explore",
     {ctrl(Qt::Key_E)}},
    {O::OpenInPirra,
     u"File",
     u"作業ﾌｫﾙﾀﾞを Pirraで開く",
     u"Ctrl+A",
     E::Always,
     nullptr,
     {ctrl(Qt::Key_A)}},
    {O::EmptyWorkFolder, u"File", u"作業ﾌｫﾙﾀﾞを空にする", u"", E::Always, nullptr, {}},
    {O::Exit, u"File", u"終了(&X)", u"", E::Always, nullptr, {}},
    {O::Copy, u"Clp", u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ", u"Ctrl+C", E::Content, nullptr, {}},
    {O::CopyAndMinimize, u"Clp", u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ・最小化", u"", E::Content, nullptr, {}},
    {O::Paste, u"Clp", u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付", u"Ctrl+V", E::ClipboardPicture, "paste", {}},
    {O::CopyImage, u"", u"", u"", E::Always, nullptr, {ctrl(Qt::Key_C)}},
    {O::PasteImage, u"", u"", u"", E::Always, nullptr, {ctrl(Qt::Key_V)}},
    {O::Trim, u"Edt", u"ﾄﾘﾐﾝｸﾞ", u"Ctrl+T", E::Picture, "trim", {ctrl(Qt::Key_T)}},
    {O::ShowToolbar, u"Edt", u"ﾂｰﾙﾊﾞｰを表示", u"", E::Picture, nullptr, {}},
    {O::EraseImage, u"Edt", u"画像の消去", u"", E::Always, nullptr, {}},
    {O::RegisterRange, u"Rng", u"範囲の登録", u"", E::Always, nullptr, {}},
    {O::ClearRange, u"Rng", u"範囲のｸﾘｱ", u"", E::Always, nullptr, {}},
    {O::EmphasizeRelative, u"Rng", u"強調(相対)", u"", E::Always, nullptr, {}},
    {O::EmphasizeMarker, u"Rng", u"強調(ﾏｰｶｰ)", u"", E::Always, nullptr, {}},
    {O::ShrinkToWidth, u"Resize", u"横方向を基準に縮小", u"", E::Always, nullptr, {}},
    {O::ShrinkToHeight, u"Resize", u"縦方向を基準に縮小", u"", E::Always, nullptr, {}},
    {O::ShrinkUnevenly, u"Resize", u"縦横比率を変えて縮小", u"", E::Always, nullptr, {}},
    {O::FoldVertical, u"Cut", u"縦方向", u"", E::Always, "foldv", {}},
    {O::FoldHorizontal, u"Cut", u"横方向", u"", E::Always, "foldh", {}},
    {O::MirrorHorizontal, u"Rotate", u"左右反転", u"", E::Always, nullptr, {}},
    {O::MirrorVertical, u"Rotate", u"上下反転", u"", E::Always, nullptr, {}},
    {O::RotateRight90, u"Rotate", u"右90度", u"Ctrl+R", E::Always, nullptr, {ctrl(Qt::Key_R)}},
    {O::RotateRight180, u"Rotate", u"右180度", u"", E::Always, nullptr, {}},
    {O::RotateLeft90, u"Rotate", u"左90度", u"Ctrl+L", E::Always, nullptr, {ctrl(Qt::Key_L)}},
    {O::RotateLeft180, u"Rotate", u"左180度", u"", E::Always, nullptr, {}},
    {O::Undo, u"", u"", u"", E::Always, nullptr, {ctrl(Qt::Key_Z)}},
    {O::Redo, u"", u"", u"", E::Always, nullptr, {Qt::CTRL | Qt::SHIFT | Qt::Key_Z}},
};

constexpr bool inOperationOrder() {
    for (size_t i = 0; i < std::size(kDefinitions); ++i)
        if (kDefinitions[i].op != Operation(i))
            return false;
    return true;
}
static_assert(inOperationOrder(), "kDefinitions must follow the order of Operation");

const Definition& definition(Operation op) {
    return kDefinitions[size_t(op)];
}
} // namespace

namespace {
void logDispatch(const char* kind, const QString& name, bool ran) {
    qCDebug(lcCommands).noquote() << kind << name << (ran ? "ran" : "has no operation");
}
} // namespace

void logCommand(const QString& command, bool ran) {
    logDispatch("command", command, ran);
}

OperationRegistry::OperationRegistry(QObject* parent) : QObject(parent) {
    initToolbarIcons();
    m_run.resize(all().size());
    for (Operation op : all()) {
        auto* a = new QAction(menuText(op), this);
        a->setProperty(kOperation, int(op));
        if (const QString icon = iconPath(op); !icon.isEmpty())
            a->setIcon(QIcon(icon));
        connect(a, &QAction::triggered, this, [this, op] { run(op); });
        m_actions.push_back(a);
    }
}

OperationRegistry::~OperationRegistry() = default;

const std::vector<Operation>& OperationRegistry::all() {
    static const std::vector<Operation> ops = [] {
        std::vector<Operation> out;
        for (const Definition& d : kDefinitions)
            out.push_back(d.op);
        return out;
    }();
    return ops;
}

QString OperationRegistry::group(Operation op) {
    return QString::fromUtf16(definition(op).group);
}

QString OperationRegistry::caption(Operation op) {
    return QString::fromUtf16(definition(op).caption);
}

QString OperationRegistry::label(Operation op) {
    return QString::fromUtf16(definition(op).label);
}

QString OperationRegistry::menuText(Operation op) {
    const QString l = label(op);
    return l.isEmpty() ? caption(op) : caption(op) + u'\t' + l;
}

QString OperationRegistry::commandText(Operation op) {
    return commandText(group(op), caption(op));
}

QString OperationRegistry::commandText(const QString& group, const QString& caption) {
    if (group == u"Edt" || group == u"Rng")
        return caption;
    const qsizetype p = caption.indexOf(u'(');
    return p >= 0 ? caption.left(p) : caption;
}

Enabling OperationRegistry::enabling(Operation op) {
    return definition(op).enabling;
}

bool OperationRegistry::enabledIn(Enabling rule, ViewState state) {
    switch (rule) {
    case Enabling::Content:
        return state != ViewState::Empty;
    case Enabling::Picture:
        return state == ViewState::Stored || state == ViewState::Changed;
    case Enabling::Changed:
        return state == ViewState::Changed;
    case Enabling::Always:
    case Enabling::ClipboardPicture:
        break;
    }
    return true;
}

QString OperationRegistry::iconPath(Operation op) {
    const char* icon = definition(op).icon;
    return icon ? QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(icon)) : QString();
}

std::vector<QKeyCombination> OperationRegistry::keys(Operation op) {
    std::vector<QKeyCombination> out;
    for (QKeyCombination k : definition(op).keys)
        if (k.key() != Qt::Key_unknown)
            out.push_back(k);
    return out;
}

std::optional<Operation> OperationRegistry::operationOf(const QAction* action) {
    bool ok = false;
    const int v = action ? action->property(kOperation).toInt(&ok) : 0;
    if (!ok || v < 0 || size_t(v) >= std::size(kDefinitions))
        return std::nullopt;
    return Operation(v);
}

QAction* OperationRegistry::action(Operation op) const {
    return m_actions[size_t(op)];
}

void OperationRegistry::implement(Operation op, std::function<void()> run) {
    m_run[size_t(op)] = std::move(run);
}

void OperationRegistry::run(Operation op) {
    const std::function<void()>& f = m_run[size_t(op)];
    // An operation no menu shows is named by its key.
    if (caption(op).isEmpty())
        logDispatch("key", QKeySequence(keys(op).front()).toString(), bool(f));
    else
        logCommand(commandText(op), bool(f));
    if (f)
        f();
}
