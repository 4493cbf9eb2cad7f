#pragma once
// Deciding whether a clipboard change is a screen capture or another program's copy, from
// what the change offers and who offers it. Pure: the window-system lookups happen elsewhere.
#include <QStringList>

namespace platform {

inline constexpr qint32 kClipCapture = 0;
inline constexpr qint32 kClipCopy = 1;

enum class OwnerKind { Unknown, CaptureTool, EditorOrBrowser, ClipboardManager };

// Names by which the owner is known: process name, executable name, window class... in any
// case. The first list that any of them matches decides, in the order capture tool, editor or
// browser, clipboard manager.
OwnerKind ownerKind(const QStringList& ownerNames);

// A format that carries a picture (image/*, Qt's internal image type).
bool isPictureFormat(const QString& format);
// The format a clipboard target stands for: the text targets of X ("UTF8_STRING", "STRING",
// "text/plain;charset=utf-8"...) are "text/plain"; every other target is its own format.
QString formatOfTarget(const QString& target);
// Markup or rich text (HTML, RTF).
bool isRichTextFormat(const QString& format);
// Targets every selection owner answers that carry no content of their own.
bool isBookkeepingFormat(const QString& format);

// kClipCapture when the change offers a picture and either comes from a capture tool or
// offers nothing but pictures and does not come from an editor or browser; kClipCopy else.
qint32 classifyChange(const QStringList& formats, const QStringList& ownerNames);

} // namespace platform
