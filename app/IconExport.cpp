// kelvora-icon: writes the program's icon, the controller picture of the device tree, as PNG files in the
// sizes a desktop menu asks for, laid out like an icon theme:
//
//   kelvora-icon OUTDIR NAME SIZE...
//
// writes OUTDIR/<SIZE>x<SIZE>/apps/NAME.png for each SIZE, and
//
//   kelvora-icon --ico FILE SIZE...
//
// one Windows icon file with a PNG picture per SIZE (up to 256), for the program's resources. The build
// runs it, so the installed icon is drawn by the same code as the one in the window and no picture file
// is kept beside the sources.

#include "net/SafeFile.h"
#include "ui/ImageList.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QTextStream>

namespace {

void putLe16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void putLe32(QByteArray& out, qint64 value) {
    putLe16(out, static_cast<int>(value & 0xFFFF));
    putLe16(out, static_cast<int>((value >> 16) & 0xFFFF));
}

QByteArray pngOf(int size) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QImage image = images::pixmap(images::Device, size).toImage();
    if (image.size() != QSize(size, size) || !image.save(&buffer, "PNG"))
        return {};
    return png;
}

// An icon directory (6 bytes), one 16-byte entry per picture, then the pictures; a width or height
// of 256 is written as 0.
QByteArray iconFile(const QList<int>& sizes) {
    QList<QByteArray> pictures;
    for (int size : sizes) {
        pictures.append(pngOf(size));
        if (pictures.last().isEmpty())
            return {};
    }
    QByteArray out;
    putLe16(out, 0);
    putLe16(out, 1);
    putLe16(out, static_cast<int>(sizes.size()));
    qint64 offset = 6 + 16 * sizes.size();
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const char side = static_cast<char>(sizes[i] == 256 ? 0 : sizes[i]);
        out.append(side);
        out.append(side);
        out.append('\0'); // no palette
        out.append('\0');
        putLe16(out, 1);  // planes
        putLe16(out, 32); // bits per pixel
        putLe32(out, pictures[i].size());
        putLe32(out, offset);
        offset += pictures[i].size();
    }
    for (const QByteArray& picture : pictures)
        out += picture;
    return out;
}

} // namespace

int main(int argc, char** argv) {
    // No display is needed to draw into a pixmap; the build may run without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        err << "usage: kelvora-icon OUTDIR NAME SIZE... | kelvora-icon --ico FILE SIZE...\n";
        return 2;
    }
    const bool ico = args.at(1) == QLatin1String("--ico");
    QList<int> sizes;
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size < 16 || size > (ico ? 256 : 1024)) {
            err << "kelvora-icon: not a size: " << args.at(i) << '\n';
            return 2;
        }
        sizes.append(size);
    }
    if (ico) {
        const QByteArray bytes = iconFile(sizes);
        if (bytes.isEmpty() || !net::WriteFileSafely(args.at(2), bytes)) {
            err << "kelvora-icon: cannot write " << args.at(2) << '\n';
            return 1;
        }
        return 0;
    }
    const QString outDir = args.at(1);
    const QString name = args.at(2);
    for (int size : sizes) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
        const QImage image = images::pixmap(images::Device, size).toImage();
        if (!QDir().mkpath(dir) || image.size() != QSize(size, size) || !image.save(file, "PNG")) {
            err << "kelvora-icon: cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
