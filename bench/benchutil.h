#pragma once
// Small helpers the benchmarks share.
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QString>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace bench {

// A picture like a screen: smooth areas and edges, neither noise nor one colour.
inline QImage screenLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x >> 3) & 255, (y >> 3) & 255, ((x + y) >> 4) & 255);
    }
    return img;
}

// Smooth shading, soft shapes and sensor grain: a photograph's statistics, made here.
inline QImage photoLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(20261207);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            const double blob = std::exp(-((u - 0.35) * (u - 0.35) + (v - 0.45) * (v - 0.45)) * 9);
            const double grain = rng.bounded(17) - 8;
            auto ch = [&](double c) { return qBound(0, int(c + grain), 255); };
            row[x] = qRgb(ch(60 + 150 * blob + 30 * std::sin(u * 7 + v * 3)),
                          ch(90 + 100 * v + 40 * std::sin(v * 11) * blob),
                          ch(170 - 120 * v + 50 * std::cos(u * 5)));
        }
    }
    return img;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// CPU time of the calling thread, in milliseconds.
inline double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Puts a section ("## Title" and its text) into the markdown file in place of the section of
// the same title, or at the end when there is none; the other sections stay as they are.
inline bool spliceSection(const QString& path, const QString& section) {
    QFile f(path);
    QString text;
    if (f.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(f.readAll());
    f.close();
    const QString heading = section.section(u'\n', 0, 0) + u'\n';
    const qsizetype start = text.indexOf(heading);
    if (start < 0) {
        text += section;
    } else {
        qsizetype end = text.indexOf(QStringLiteral("\n## "), start + heading.size());
        end = end < 0 ? text.size() : end + 1;
        text.replace(start, end - start, section);
    }
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(text.toUtf8()) >= 0;
}

} // namespace bench

class fmMain;
class QString;
// The sections after the intake's.
QString folderListSection();
QString editSection();
QString colourSection();
QString pictureFilesSection(const QString& tempDir);
