#include "platform/ClipClassify.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace platform {

namespace {

using namespace std::string_view_literals;

constexpr std::array kCaptureTools = {
    "flameshot"sv,
    "spectacle"sv,
    "ksnip"sv,
    "ksnapshot"sv,
    "gnome-screenshot"sv,
    "gnome-shell"sv,
    "xfce4-screenshooter"sv,
    "scrot"sv,
    "maim"sv,
    "shutter"sv,
    "deepin-screenshot"sv,
    "kazam"sv,
    "screengrab"sv,
    "mate-screenshot"sv,
    "lximage-qt"sv,
    "escrotum"sv,
    "import"sv,
};

constexpr std::array kEditorsAndBrowsers = {
    "firefox"sv, "chromium"sv,  "chrome"sv,      "google-chrome"sv, "brave"sv,       "opera"sv,
    "vivaldi"sv, "epiphany"sv,  "falkon"sv,      "konqueror"sv,     "libreoffice"sv, "soffice"sv,
    "gimp"sv,    "krita"sv,     "inkscape"sv,    "gedit"sv,         "kate"sv,        "kwrite"sv,
    "code"sv,    "codium"sv,    "thunderbird"sv, "eog"sv,           "gwenview"sv,    "okular"sv,
    "evince"sv,  "mousepad"sv,  "pluma"sv,       "xed"sv,           "geany"sv,       "emacs"sv,
    "gvim"sv,    "pinta"sv,     "darktable"sv,   "shotwell"sv,      "nautilus"sv,    "dolphin"sv,
    "thunar"sv,  "ristretto"sv, "feh"sv,
};

constexpr std::array kClipboardManagers = {
    "klipper"sv,       "parcellite"sv, "clipit"sv,    "diodon"sv,    "copyq"sv,    "gpaste"sv,
    "xfce4-clipman"sv, "clipman"sv,    "greenclip"sv, "clipmenud"sv, "clipster"sv, "plasmashell"sv,
};

// The kernel keeps at most 15 characters of a process name.
constexpr qsizetype kCommLength = 15;

bool matchesEntry(const QString& name, std::string_view entry) {
    const QString e = QString::fromLatin1(entry.data(), qsizetype(entry.size()));
    if (name == e)
        return true;
    // "firefox-esr", "code-oss", "chromium-browser" are the program under a packager's name.
    if (name.startsWith(e + QLatin1Char('-')))
        return true;
    return name.size() == kCommLength && e.startsWith(name);
}

// The forms a name is tried in: as given, without an executable suffix, and the last part
// of a reverse-domain class name ("org.kde.spectacle").
QStringList nameForms(const QString& raw) {
    QString n = raw.trimmed().toLower();
    QStringList forms;
    if (n.isEmpty())
        return forms;
    forms << n;
    for (const char* suffix : {".bin", "-bin", ".exe", ".real"}) {
        if (n.endsWith(QLatin1String(suffix)) && n.size() > qsizetype(std::strlen(suffix))) {
            n.chop(qsizetype(std::strlen(suffix)));
            forms << n;
            break;
        }
    }
    const qsizetype dot = n.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && dot + 1 < n.size())
        forms << n.mid(dot + 1);
    return forms;
}

template <std::size_t N>
bool anyMatches(const QStringList& names, const std::array<std::string_view, N>& list) {
    for (const QString& raw : names)
        for (const QString& form : nameForms(raw))
            if (std::any_of(list.begin(), list.end(),
                            [&form](std::string_view e) { return matchesEntry(form, e); }))
                return true;
    return false;
}

} // namespace

OwnerKind ownerKind(const QStringList& ownerNames) {
    if (anyMatches(ownerNames, kCaptureTools))
        return OwnerKind::CaptureTool;
    if (anyMatches(ownerNames, kEditorsAndBrowsers))
        return OwnerKind::EditorOrBrowser;
    if (anyMatches(ownerNames, kClipboardManagers))
        return OwnerKind::ClipboardManager;
    return OwnerKind::Unknown;
}

bool isPictureFormat(const QString& format) {
    return format.startsWith(QLatin1String("image/"), Qt::CaseInsensitive) ||
           format.compare(QLatin1String("application/x-qt-image"), Qt::CaseInsensitive) == 0;
}

QString formatOfTarget(const QString& target) {
    for (const char* t : {"UTF8_STRING", "STRING", "TEXT", "COMPOUND_TEXT"})
        if (target == QLatin1String(t))
            return QStringLiteral("text/plain");
    if (target.startsWith(QLatin1String("text/plain;"), Qt::CaseInsensitive))
        return QStringLiteral("text/plain");
    return target;
}

bool isRichTextFormat(const QString& format) {
    for (const char* t : {"text/html", "text/rtf", "text/richtext", "application/rtf"})
        if (format.compare(QLatin1String(t), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isBookkeepingFormat(const QString& format) {
    for (const char* t : {"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS"})
        if (format == QLatin1String(t))
            return true;
    return false;
}

qint32 classifyChange(const QStringList& formats, const QStringList& ownerNames) {
    if (!std::any_of(formats.begin(), formats.end(), isPictureFormat))
        return kClipCopy;
    const OwnerKind kind = ownerKind(ownerNames);
    if (kind == OwnerKind::CaptureTool)
        return kClipCapture;
    if (kind == OwnerKind::EditorOrBrowser)
        return kClipCopy;
    const bool onlyPictures = std::all_of(formats.begin(), formats.end(), [](const QString& f) {
        return isPictureFormat(f) || isBookkeepingFormat(f);
    });
    return onlyPictures ? kClipCapture : kClipCopy;
}

} // namespace platform
