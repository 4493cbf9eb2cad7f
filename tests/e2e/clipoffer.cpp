// Takes the CLIPBOARD with the formats given on the command line, says "ready" once it owns
// it, and stays until killed or until another program takes the clipboard over.
//   clipoffer [--text TEXT] [--html FILE] [--png FILE] [--image FILE] [--data MIME FILE]...
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <cstdio>
#include <memory>

namespace {

QByteArray readAll(const QString& path, bool& ok) {
    QFile f(path);
    ok = f.open(QIODevice::ReadOnly);
    if (!ok)
        std::fprintf(stderr, "clipoffer: cannot read %s\n", qPrintable(path));
    return ok ? f.readAll() : QByteArray();
}

int usage() {
    std::fprintf(stderr, "usage: clipoffer [--text TEXT] [--html FILE] [--png FILE] "
                         "[--image FILE] [--data MIME FILE]...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    auto data = std::make_unique<QMimeData>();
    bool ok = true;
    for (qsizetype i = 0; i < args.size() && ok; ++i) {
        const QString& opt = args[i];
        const qsizetype need = opt == QLatin1String("--data") ? 2 : 1;
        if (i + need >= args.size())
            return usage();
        if (opt == QLatin1String("--text")) {
            data->setText(args[++i]);
        } else if (opt == QLatin1String("--html")) {
            data->setHtml(QString::fromUtf8(readAll(args[++i], ok)));
        } else if (opt == QLatin1String("--png")) {
            // The file's bytes as they are, under the one type image/png.
            data->setData(QStringLiteral("image/png"), readAll(args[++i], ok));
        } else if (opt == QLatin1String("--image")) {
            // A decoded image, which Qt offers in every format it can write.
            const QImage img(args[++i]);
            ok = !img.isNull();
            if (!ok)
                std::fprintf(stderr, "clipoffer: cannot decode %s\n", qPrintable(args[i]));
            data->setImageData(img);
        } else if (opt == QLatin1String("--data")) {
            const QString mime = args[++i];
            data->setData(mime, readAll(args[++i], ok));
        } else {
            return usage();
        }
    }
    if (!ok)
        return 1;
    if (data->formats().isEmpty())
        return usage();

    QClipboard* cb = QGuiApplication::clipboard();
    cb->setMimeData(data.release(), QClipboard::Clipboard); // the clipboard owns it now
    if (!cb->ownsClipboard()) {
        std::fprintf(stderr, "clipoffer: could not take the clipboard\n");
        return 1;
    }
    QObject::connect(cb, &QClipboard::dataChanged, &app, [cb] {
        if (!cb->ownsClipboard())
            QCoreApplication::quit();
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
