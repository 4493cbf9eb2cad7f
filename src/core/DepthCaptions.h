#pragma once
// The one table of colour-depth captions and their depth codes: the colour-depth menu shows
// them in this order, the colour reduction after capture offers the first five (after
// "減色しない"), and "User.xml" keeps the reduction by its caption.
#include <QString>

#include <array>

namespace depthcaptions {

struct DepthCaption {
    const char16_t* caption;
    int code;
};

inline constexpr std::array<DepthCaption, 7> kDepths{{{u"16色(4bit)", 4},
                                                      {u"ｸﾞﾚｰ(4bit)", 40},
                                                      {u"256色(8bit)", 8},
                                                      {u"ｸﾞﾚｰ(8bit)", 80},
                                                      {u"16bit", 16},
                                                      {u"24bit", 24},
                                                      {u"32bit", 32}}};
// How many of them the colour reduction after capture offers.
inline constexpr int kReductions = 5;
inline constexpr const char16_t* kNoReduction = u"減色しない";

// The code of a caption; 0 for "減色しない" and any other text.
inline int codeOf(const QString& caption) {
    for (const DepthCaption& d : kDepths)
        if (caption == QString::fromUtf16(d.caption))
            return d.code;
    return 0;
}

// The caption of a code; "減色しない" for 0 and any code without one.
inline QString captionOf(int code) {
    for (const DepthCaption& d : kDepths)
        if (d.code == code)
            return QString::fromUtf16(d.caption);
    return QString::fromUtf16(kNoReduction);
}

} // namespace depthcaptions
